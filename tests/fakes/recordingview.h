#pragma once

#include "natterby/protocol/chatview.h"

#include <string>
#include <vector>

namespace fakes {

// Records everything the core asks of its window.
class RecordingView : public natterby::protocol::ChatView {
public:
    struct Line {
        int tab;
        natterby::protocol::Font font;
        std::string text;
    };
    struct Received {
        std::string marker, nick, text;
        bool minimised;
    };

    std::vector<Line> lines;
    std::vector<std::string> tabNames{"#Main"};
    int current = 0;
    std::vector<bool> unread{false};
    std::string refreshCaption, ownNick, caption, trayTip;
    std::vector<int> trayIcons;
    std::vector<std::pair<std::string, std::string>> balloons;
    int balloonsHidden = 0;
    int restores = 0;
    std::vector<Received> received;
    std::vector<natterby::protocol::InformationAnswer> information;
    std::vector<std::string> questions, messages;
    bool answerYes = true;
    std::vector<std::vector<std::string>> otherChannels;

    void appendText(int tab, natterby::protocol::Font font, std::string_view text) override {
        lines.push_back({tab, font, std::string(text)});
    }
    void tabAdded(const std::string& name) override {
        tabNames.push_back(name);
        unread.push_back(false);
    }
    void tabRemoved(int tab) override {
        tabNames.erase(tabNames.begin() + tab);
        unread.erase(unread.begin() + tab);
    }
    void currentTabChanged(int tab) override { current = tab; }
    void tabUnreadChanged(int tab, bool isUnread) override { unread[tab] = isUnread; }
    void rosterChanged() override {}
    void refreshCaptionChanged(const std::string& text) override { refreshCaption = text; }
    void ownNickChanged(const std::string& nick) override { ownNick = nick; }
    void captionChanged(const std::string& text) override { caption = text; }
    void trayTipChanged(const std::string& tip) override { trayTip = tip; }
    void trayIconChanged(int index) override { trayIcons.push_back(index); }
    void showBalloon(const std::string& title, const std::string& text) override {
        balloons.emplace_back(title, text);
    }
    void hideBalloon() override { ++balloonsHidden; }
    void restoreWindow() override { ++restores; }
    void openReceivedMessage(std::string_view marker, const std::string& nick,
                             const std::string& text, bool minimised) override {
        received.push_back({std::string(marker), nick, text, minimised});
    }
    void openInformation(const natterby::protocol::InformationAnswer& answer) override {
        information.push_back(answer);
    }
    bool askYesNo(const std::string& text) override {
        questions.push_back(text);
        return answerYes;
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void otherChannelsAnswered(const std::vector<std::string>& names) override {
        otherChannels.push_back(names);
    }

    // The lines written into one tab, in order.
    std::vector<std::string> textsOf(int tab) const {
        std::vector<std::string> result;
        for (const Line& line : lines) {
            if (line.tab == tab) {
                result.push_back(line.text);
            }
        }
        return result;
    }
};

} // namespace fakes
