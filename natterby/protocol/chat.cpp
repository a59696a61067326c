#include "natterby/protocol/chat.h"

#include "natterby/archive/archivefile.h"

#include <cstdio>
#include <memory>

namespace natterby::protocol {

namespace {

// The tray tip shows the start of the caption.
constexpr std::size_t kTrayTipLength = 40;

} // namespace

Chat::Chat(ChatView& view, ChatSeams seams) : view_(view), seams_(std::move(seams)) {
    const settings::NickSettings& nicks = seams_.settings.nicks;
    identity_.nick = nicks.current;
    identity_.status = nicks.status;
    identity_.gender = nicks.gender;
    tabs_.push_back({std::string(kMainChannel), false});
    refreshOffset_ = seams_.random(50);
}

// --- dispatch

void Chat::receive(std::span<char> datagram, Origin origin) {
    const std::optional<transport::AcceptedPacket> packet = seams_.framing.accept(datagram);
    if (!packet) {
        return;
    }
    if (packet->messageClass == 'Y') {
        dispatchFileOffer(datagram, packet->code, origin);
    } else {
        dispatchChat(datagram, packet->code);
    }
}

void Chat::dispatchChat(std::span<const char> datagram, char code) {
    // Fields follow a one-character code at offset 11; H, J and P carry a sub-code there and 7
    // its status character, and their fields start at offset 12.
    constexpr std::size_t kFields = 11;
    FieldReader fields(datagram, kFields);
    const auto second = [&]() -> std::optional<char> { return fields.character(); };
    switch (code) {
    case '0':
        return onRefreshRequest(fields);
    case '1':
        return onRefreshAnswer(fields);
    case '2':
        return onChatLine(fields);
    case '3':
        return onRename(fields);
    case '4':
        return onJoin(fields);
    case '5':
        return onLeave(fields);
    case '6':
        return onPrivateMessage(fields, false);
    case '8':
        return onRemoteExecute(fields);
    case '9':
        return onRemoteExecuteDone(fields);
    case 'A':
        return onActionLine(fields);
    case 'B':
        return onTopic(fields);
    case 'C':
        return onTopicAnswer(fields);
    case 'D':
        return onStatusChange(fields);
    case 'E':
        return onPrivateMessage(fields, true);
    case 'F':
        return onInformationRequest(fields);
    case 'G':
        return onInformationAnswer(fields);
    case 'I':
        return onChannelSoundCall(fields);
    case 'K':
        return onMemberAnswer(fields);
    case 'L':
        return onMemberRequest(fields);
    case 'M':
        return onWindowVisibility(fields);
    case 'N':
        return onChannelListRequest(fields);
    case 'O':
        return onChannelListAnswer(fields);
    case '7':
        if (const auto status = second()) {
            onConfirmation(*status, fields);
        }
        return;
    case 'H':
        if (const auto sub = second()) {
            onSoundCall(*sub, fields);
        }
        return;
    case 'J':
        if (const auto sub = second()) {
            onTalk(*sub, fields);
        }
        return;
    case 'P':
        if (const auto sub = second()) {
            onProbe(*sub, fields);
        }
        return;
    default:
        return; // no handler: ignored
    }
}

void Chat::dispatchFileOffer(std::span<const char> datagram, char code, Origin origin) {
    FieldReader fields(datagram, 11);
    switch (code) {
    case 'R':
        return onFileOffer(fields, origin);
    case 'S':
        return onFileOfferAnswer(fields);
    case 'T':
        return onReceiverAddress(fields);
    default:
        return;
    }
}

// --- shared steps

std::string Chat::stamp() const {
    return common::chatStamp(seams_.clock.now(), seams_.settings.view.seconds);
}

std::string Chat::logStamp() const {
    return common::logStamp(seams_.clock.now());
}

void Chat::write(int tab, Font font, std::string_view text) {
    view_.appendText(tab, font, text);
}

void Chat::markUnread(int tab) {
    if (tab == current_ || tab < 0 || static_cast<std::size_t>(tab) >= tabs_.size()) {
        return;
    }
    if (!tabs_[static_cast<std::size_t>(tab)].unread) {
        tabs_[static_cast<std::size_t>(tab)].unread = true;
        view_.tabUnreadChanged(tab, true);
    }
}

int Chat::findTab(std::string_view name) const {
    for (std::size_t i = 0; i < tabs_.size(); ++i) {
        if (tabs_[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool Chat::isLogged(std::string_view channel) const {
    const std::string& logged = seams_.settings.channels.logged;
    std::string entry(channel);
    entry += '\n';
    std::size_t at = logged.find(entry);
    // Whole entries only: "#Work\n" must not match the end of "#Homework\n".
    while (at != std::string::npos && at != 0 && logged[at - 1] != '\n') {
        at = logged.find(entry, at + 1);
    }
    return at != std::string::npos;
}

void Chat::logLine(std::string_view channel, std::string_view line) {
    if (!isLogged(channel) || channel.empty()) {
        return;
    }
    std::string folder = seams_.codePage.toUtf8(seams_.settings.channels.pathProto);
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    // The channel name comes from the network: a name that would leave the log folder or name
    // no file is not logged.
    const std::string name = seams_.codePage.toUtf8(channel.substr(1));
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        return;
    }
    const std::string path = folder + name + ".txt";
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "ab"),
                                                         &std::fclose);
    if (!file) {
        return;
    }
    std::string record(line);
    record += "\r\n";
    std::fwrite(record.data(), 1, record.size(), file.get());
}

void Chat::appendArchive(std::string_view marker, std::string_view nick, std::string_view text) {
    archive::appendArchiveRecord(archivePath(), marker, logStamp(), nick, text);
}

void Chat::recordMember(std::string_view channelName, std::string_view nick) {
    Channel* channel = channels_.find(channelName);
    if (channel == nullptr || !ChannelTable::addMember(*channel, nick)) {
        return;
    }
    const int row = roster_.find(nick);
    if (row >= 0 && tabs_[static_cast<std::size_t>(current_)].name == channelName &&
        roster_.row(row).stateImage < 6) {
        roster_.row(row).stateImage += 2;
        view_.rosterChanged();
    }
}

std::string Chat::caption() const {
    const std::string& name = tabs_[static_cast<std::size_t>(current_)].name;
    const Channel* channel = channels_.find(name);
    return "[" + name + "] " + (channel != nullptr ? channel->topic : std::string()) + " - " +
           seams_.texts.programTitle();
}

void Chat::updateCaption() {
    const std::string text = caption();
    view_.captionChanged(text);
    view_.trayTipChanged(text.substr(0, kTrayTipLength));
}

std::string Chat::clearedLine() const {
    return stamp() + seams_.texts.get("SysMes", "WinClear");
}

std::optional<std::string> Chat::computerNameOf(std::string_view nick) const {
    for (const auto& [name, computer] : computerNames_) {
        if (name == nick) {
            return computer;
        }
    }
    return std::nullopt;
}

int Chat::addTab(const std::string& name) {
    tabs_.push_back({name, false});
    view_.tabAdded(name);
    return static_cast<int>(tabs_.size()) - 1;
}

void Chat::makeCurrent(int tab) {
    if (tab == current_) {
        return;
    }
    current_ = tab;
    view_.currentTabChanged(tab);
}

} // namespace natterby::protocol
