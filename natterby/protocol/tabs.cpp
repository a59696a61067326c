// The user's side of channels and talks: joining and leaving, switching tabs, topics, member and
// channel lists, talk tabs.
#include "natterby/protocol/chat.h"

#include <unordered_set>

namespace natterby::protocol {

void Chat::joinAtStart(const std::string& channel) {
    // A channel saved twice, or "#Main" saved among the others, is joined once.
    if (!isChannelName(channel) || channels_.find(channel) != nullptr) {
        return;
    }
    if (channel == kMainChannel) {
        // "#Main" is joined first, once the settings load has read the own nick, status and
        // gender, which the join announces; the core was built before the load.
        const settings::NickSettings& nicks = seams_.settings.nicks;
        identity_.nick = nicks.current;
        identity_.status = nicks.status;
        identity_.gender = nicks.gender;
        joinSteps(0, channel);
        return;
    }
    joinSteps(addTab(channel), channel);
}

void Chat::joinChannel(const std::string& channel) {
    if (!isChannelName(channel)) {
        return;
    }
    if (const int open = findTab(channel); open >= 0) {
        makeCurrent(open);
        settleCurrentTab();
        return;
    }
    const int tab = addTab(channel);
    makeCurrent(tab);
    markMembers();
    joinSteps(tab, channel);
}

void Chat::joinSteps(int tab, const std::string& channel) {
    updateCaption();
    channels_.add(channel);
    logLine(channel, seams_.texts.get("SysMes", "ProtBeg") + " " + logStamp());
    if (channel == kMainChannel) {
        write(tab, kWelcomeFont, stamp() + seams_.texts.programTitle() + "\r");
    }
    write(tab, kWelcomeFont,
          stamp() + seams_.texts.get("SysMes", "Welcome") + " " + channel + ", " + identity_.nick +
              "!");
    send(join(identity_.nick, channel, identity_.status, identity_.gender));
}

void Chat::leaveCurrentTab() {
    if (current_ == 0) {
        return;
    }
    const int leaving = current_;
    const Tab tab = tabs_[static_cast<std::size_t>(leaving)];
    // "#Main" becomes current before the tab goes, so the view never shows a removed tab.
    makeCurrent(0);
    tabs_.erase(tabs_.begin() + leaving);
    view_.tabRemoved(leaving);
    if (tab.isChannel()) {
        send(leave(identity_.nick, tab.name, identity_.gender));
        channels_.remove(tab.name);
    } else {
        send(talkEnd(identity_.nick, tab.name, identity_.gender));
    }
    settleCurrentTab();
}

void Chat::sendLeaves() {
    for (auto tab = tabs_.rbegin(); tab != tabs_.rend(); ++tab) {
        send(leave(identity_.nick, tab->name, identity_.gender));
    }
}

void Chat::selectTab(int tab) {
    if (tab < 0 || static_cast<std::size_t>(tab) >= tabs_.size()) {
        return;
    }
    current_ = tab;
    settleCurrentTab();
}

void Chat::settleCurrentTab() {
    markMembers();
    updateCaption();
    Tab& tab = tabs_[static_cast<std::size_t>(current_)];
    if (tab.unread) {
        tab.unread = false;
        view_.tabUnreadChanged(current_, false);
    }
}

void Chat::markMembers() {
    // A talk tab has no channel, so no row is a member while it is current.
    std::unordered_set<std::string_view> members;
    if (const Channel* channel = channels_.find(tabs_[static_cast<std::size_t>(current_)].name)) {
        members.insert(channel->members.begin(), channel->members.end());
    }
    bool changed = false;
    for (int i = 0; i < static_cast<int>(roster_.size()); ++i) {
        RosterRow& row = roster_.row(i);
        const bool member = members.contains(row.nick);
        if (member && row.stateImage < 6) {
            row.stateImage += 2;
            changed = true;
        } else if (!member && row.stateImage > 5) {
            row.stateImage -= 2;
            changed = true;
        }
    }
    if (changed) {
        view_.rosterChanged();
    }
}

void Chat::changeTopic(const std::string& text) {
    const Tab& tab = tabs_[static_cast<std::size_t>(current_)];
    if (!tab.isChannel()) {
        return;
    }
    send(topicChange(tab.name, text.empty() ? std::string() : text + " (" + identity_.nick + ") "));
}

std::string Chat::currentTopic() const {
    const Channel* channel = channels_.find(tabs_[static_cast<std::size_t>(current_)].name);
    return channel != nullptr ? channel->topic : std::string();
}

void Chat::requestChannelMembers() {
    const Tab& tab = tabs_[static_cast<std::size_t>(current_)];
    if (!tab.isChannel()) {
        return;
    }
    // The answers mark the members afresh.
    if (Channel* channel = channels_.find(tab.name)) {
        channel->members.clear();
    }
    bool changed = false;
    for (int i = 0; i < static_cast<int>(roster_.size()); ++i) {
        if (roster_.row(i).stateImage > 5) {
            roster_.row(i).stateImage -= 2;
            changed = true;
        }
    }
    if (changed) {
        view_.rosterChanged();
    }
    send(memberRequest(identity_.nick, tab.name));
}

void Chat::talk(const std::string& nick) {
    if (!isTalkName(nick)) {
        return;
    }
    send(talkInvitation(identity_.nick, nick, identity_.gender));
    if (findTab(nick) >= 0) {
        return;
    }
    const int tab = addTab(nick);
    makeCurrent(tab);
    settleCurrentTab();
    write(tab, kEnterLeaveFont,
          stamp() + " " + identity_.nick + " " + seams_.texts.gendered("Enter", identity_.gender));
}

void Chat::requestChannelList() {
    send(channelListRequest(identity_.nick));
}

} // namespace natterby::protocol
