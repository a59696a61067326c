// Received channel and talk messages: joins and leaves, topics, member and channel lists, talk
// invitations, ends and lines.
#include "natterby/protocol/chat.h"

#include <algorithm>

namespace natterby::protocol {

namespace {

// Any peer can invite to talks under names of its choosing; the bound keeps a flood from growing
// the tab row without end.
constexpr std::size_t kMaxTabs = 64;

} // namespace

std::vector<std::string> Chat::channelNames(std::string_view list) {
    std::vector<std::string> names;
    if (list.empty()) {
        return names;
    }
    // The first "#" opens the first name; empty parts, such as the one after the closing "#",
    // name nothing.
    list.remove_prefix(1);
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find('#', start), list.size());
        if (end > start) {
            names.emplace_back(list.substr(start, end - start));
        }
        start = end + 1;
    }
    return names;
}

void Chat::onJoin(FieldReader& fields) {
    const std::string nick(fields.text());
    const std::string channelName(fields.text());
    const std::optional<char> status = fields.character();
    const std::optional<char> gender = fields.character();
    if (!status || !gender || !isStatus(*status) || nick.empty() || !isChannelName(channelName)) {
        return;
    }
    const std::string& enter = seams_.texts.gendered("Enter", *gender);
    // Logged even while the channel's tab is closed.
    logLine(channelName, "[" + logStamp() + "] " + nick + " " + enter);
    const int tab = findTab(channelName);
    if (tab < 0) {
        return;
    }
    write(tab, kEnterLeaveFont, "\r" + stamp() + " " + nick + " " + enter);
    if (Channel* channel = channels_.find(channelName)) {
        ChannelTable::addMember(*channel, nick);
        if (!channel->topic.empty()) {
            send(topicAnswer(nick, channelName, channel->topic));
        }
    }
    int row = roster_.find(nick);
    if (row < 0) {
        row = addRosterRow(nick, *status, 5);
    }
    if (row >= 0 && tab == current_ && roster_.row(row).stateImage < 6) {
        roster_.row(row).stateImage += 2;
        view_.rosterChanged();
    }
}

void Chat::onLeave(FieldReader& fields) {
    const std::string nick(fields.text());
    const std::string channelName(fields.text());
    const std::optional<char> gender = fields.character();
    // The leaves sent at exit name talk partners as channels too; those name no channel here.
    if (!gender || nick.empty() || !isChannelName(channelName)) {
        return;
    }
    const std::string& leaveText = seams_.texts.gendered("Leave", *gender);
    logLine(channelName, "[" + logStamp() + "] " + nick + " " + leaveText);
    const int tab = findTab(channelName);
    if (tab < 0) {
        return;
    }
    write(tab, kEnterLeaveFont, "\r" + stamp() + " " + nick + " " + leaveText);
    if (Channel* channel = channels_.find(channelName)) {
        ChannelTable::removeMember(*channel, nick);
    }
    const int row = roster_.find(nick);
    if (row < 0) {
        return;
    }
    // Everyone is in "#Main" while running: leaving it means the peer has gone.
    if (channelName == kMainChannel) {
        roster_.remove(row);
        view_.rosterChanged();
    } else if (tab == current_ && roster_.row(row).stateImage > 5) {
        roster_.row(row).stateImage -= 2;
        view_.rosterChanged();
    }
}

void Chat::onTopic(FieldReader& fields) {
    const std::string channelName(fields.text());
    const std::string topic(fields.text());
    if (!isChannelName(channelName)) {
        return;
    }
    const int tab = findTab(channelName);
    if (tab < 0) {
        return;
    }
    const std::string line = seams_.texts.get("SysMes", "Topic") + " '" + topic + "'";
    logLine(channelName, "[" + logStamp() + "] " + line);
    write(tab, kTopicFont, "\r" + stamp() + line);
    // Stored before the caption is built, which reads it from the channel table.
    if (Channel* channel = channels_.find(channelName)) {
        channel->topic = topic;
    }
    if (tab == current_) {
        updateCaption();
    }
    seams_.sound.play(settings::kChatLineSlot, settings::kChatLineTone);
    markUnread(tab);
}

void Chat::onTopicAnswer(FieldReader& fields) {
    const std::string_view joiner = fields.text();
    const std::string channelName(fields.text());
    const std::string topic(fields.text());
    if (isOwnPacket() || !isOwnNick(joiner) || topic.empty() || !isChannelName(channelName)) {
        return;
    }
    const int tab = findTab(channelName);
    Channel* channel = channels_.find(channelName);
    // Every member that knows the topic answers a join; the first answer shows it.
    if (tab < 0 || channel == nullptr || channel->topic == topic) {
        return;
    }
    channel->topic = topic;
    write(tab, kTopicFont,
          "\r" + stamp() + seams_.texts.get("SysMes", "Topic") + " '" + topic + "'");
    markUnread(tab);
    if (tab == current_) {
        updateCaption();
    }
}

void Chat::onMemberRequest(FieldReader& fields) {
    const std::string_view requester = fields.text();
    const std::string_view channelName = fields.text();
    if (isChannelName(channelName) && findTab(channelName) >= 0) {
        send(memberAnswer(requester, channelName, identity_.nick, identity_.visibility));
    }
}

void Chat::onMemberAnswer(FieldReader& fields) {
    fields.text(); // the requester: every copy takes the answers, whoever asked
    const std::string_view channelName = fields.text();
    const std::string_view member = fields.text();
    const std::optional<char> visibility = fields.character();
    if (!visibility || member.empty()) {
        return;
    }
    Channel* channel = channels_.find(channelName);
    if (channel == nullptr || !ChannelTable::addMember(*channel, member)) {
        return;
    }
    const int row = roster_.find(member);
    if (row >= 0 && tabs_[static_cast<std::size_t>(current_)].name == channelName &&
        roster_.row(row).stateImage < 6) {
        roster_.row(row).stateImage = *visibility == '1' ? 7 : 6;
        view_.rosterChanged();
    }
}

void Chat::onChannelListRequest(FieldReader& fields) {
    const std::string_view requester = fields.text();
    std::string list;
    for (const Tab& tab : tabs_) {
        if (tab.isChannel()) {
            list += tab.name;
        }
    }
    send(channelListAnswer(requester, list + "#"));
}

void Chat::onChannelListAnswer(FieldReader& fields) {
    const std::string_view requester = fields.text();
    const std::string_view list = fields.text();
    // The view passes the names on only while its options dialog is open.
    if (isOwnNick(requester)) {
        view_.otherChannelsAnswered(channelNames(list));
    }
}

void Chat::onTalk(char subCode, FieldReader& fields) {
    // The inviting, leaving or writing partner comes first, then the addressee.
    const std::string partner(fields.text());
    if (!isOwnNick(fields.text()) || !isTalkName(partner)) {
        return;
    }
    const int tab = findTab(partner);
    switch (subCode) {
    case '0': {
        const std::optional<char> gender = fields.character();
        if (!gender) {
            return;
        }
        // An invitation from a partner whose tab is open only brings that tab to the front.
        if (tab >= 0) {
            makeCurrent(tab);
            settleCurrentTab();
            return;
        }
        if (tabs_.size() >= kMaxTabs) {
            return;
        }
        const int opened = addTab(partner);
        makeCurrent(opened);
        settleCurrentTab();
        write(opened, kEnterLeaveFont,
              stamp() + " " + partner + " " + seams_.texts.gendered("Enter", *gender));
        seams_.sound.play(settings::kStartChatSlot, settings::kStartChatTone);
        return;
    }
    case '1': {
        const std::optional<char> gender = fields.character();
        if (gender && tab >= 0) {
            write(tab, kEnterLeaveFont,
                  "\r" + stamp() + " " + partner + " " + seams_.texts.gendered("Leave", *gender));
        }
        return;
    }
    case '2': {
        const std::string text(fields.text());
        if (tab >= 0) {
            write(tab, isOwnPacket() ? kOwnFont : kExternalFont,
                  "\r" + stamp() + "<" + partner + ">: " + text);
            drawAttention(partner, partner, text);
            markUnread(tab);
        }
        return;
    }
    case '3': {
        const std::string text(fields.text());
        if (tab >= 0) {
            write(tab, kActionFont, "\r" + stamp() + partner + " " + text);
        }
        return;
    }
    default:
        return; // no other sub-code has a meaning
    }
}

} // namespace natterby::protocol
