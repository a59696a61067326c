#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace natterby::protocol {

// The ten text styles every written line selects first.
enum Font : int {
    kWelcomeFont = 1,
    kEnterLeaveFont = 2,
    kAutoAnswerFont = 3,
    kExternalFont = 4,
    kOwnFont = 5,
    kTopicFont = 6,
    kRenameFont = 7,
    kActionFont = 8,
    kConfirmationFont = 9,
    kSystemFont = 10,
};

// What an information answer addressed to this user shows.
struct InformationAnswer {
    std::string answerer;
    std::string computerName;
    std::string userName;
    std::string address;
    std::vector<std::string> channels; // each with its "#"
    std::string autoAnswer;
};

// What the chat core asks of the window around it. Every text is in the ANSI code page; the
// window converts at its boundary. Tabs are numbered as the core numbers them: 0 is "#Main",
// a new tab is always added at the end.
class ChatView {
public:
    virtual ~ChatView() = default;

    // Appends text at the end of a tab's view in one of the ten fonts. A line starts with CR
    // where it starts a new line; the text is never markup.
    virtual void appendText(int tab, Font font, std::string_view text) = 0;
    virtual void tabAdded(const std::string& name) = 0;
    virtual void tabRemoved(int tab) = 0;
    // The core made another tab current (not the user: the view already knows then).
    virtual void currentTabChanged(int tab) = 0;
    virtual void tabUnreadChanged(int tab, bool unread) = 0;

    // Rows, icons or state images of the roster changed; the view reads Chat::roster().
    virtual void rosterChanged() = 0;
    virtual void refreshCaptionChanged(const std::string& caption) = 0;
    virtual void ownNickChanged(const std::string& nick) = 0;

    virtual void captionChanged(const std::string& caption) = 0;
    virtual void trayTipChanged(const std::string& tip) = 0;
    // The tray shows image `index` of the main image list.
    virtual void trayIconChanged(int index) = 0;
    virtual void showBalloon(const std::string& title, const std::string& text) = 0;
    virtual void hideBalloon() = 0;
    // Shows the main window in its normal state, scrolls the current view to its end when
    // scrolling is on, and focuses the chat line.
    virtual void restoreWindow() = 0;

    // A private ("<-") or mass ("<=") message arrived: a new window in its reading state, which
    // never takes the focus; minimised unless the own status is Away.
    virtual void openReceivedMessage(std::string_view marker, const std::string& nick,
                                     const std::string& text, bool minimised) = 0;
    virtual void openInformation(const InformationAnswer& answer) = 0;
    virtual bool askYesNo(const std::string& text) = 0;
    virtual void showMessage(const std::string& text) = 0;
    // Channels another copy has open; only an open options dialog takes them.
    virtual void otherChannelsAnswered(const std::vector<std::string>& names) = 0;
};

} // namespace natterby::protocol
