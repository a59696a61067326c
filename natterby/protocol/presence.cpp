// Who is there: the refresh exchange that rebuilds the roster, renames, status and window
// changes, and the information exchange about a user.
#include "natterby/protocol/chat.h"
#include "natterby/settings/settingswriters.h"

#include <algorithm>

namespace natterby::protocol {

namespace {

// The refresh timer fires when its tick count passes this plus the offset drawn at start.
constexpr int kRefreshThreshold = 240;

// Bounds on what peers can make this copy keep. Every answer to the own refresh request adds a
// row without looking for an existing one, and every information answer may add a pair, so a
// peer that floods them would otherwise grow both without end. No real network comes near.
constexpr std::size_t kMaxRosterRows = 2048;
constexpr std::size_t kMaxComputerNames = 1024;

int visibilityBit(char visibility) {
    return visibility == '1' ? 1 : 0;
}

} // namespace

void Chat::refresh() {
    send(refreshRequest(identity_.nick));
}

void Chat::refreshStep() {
    if (++refreshCounter_ <= kRefreshThreshold + refreshOffset_) {
        return;
    }
    roster_.clear();
    view_.rosterChanged();
    send(refreshRequest(identity_.nick));
    refreshCounter_ = 0;
}

int Chat::addRosterRow(std::string_view nick, char status, int stateImage) {
    if (roster_.size() >= kMaxRosterRows) {
        return -1;
    }
    const int row = roster_.add({std::string(nick), status, stateImage});
    view_.refreshCaptionChanged(seams_.texts.get("Interface", "Refresh") + ": " +
                                std::to_string(roster_.size()));
    view_.rosterChanged();
    return row;
}

void Chat::onRefreshRequest(FieldReader& fields) {
    const std::string_view requester = fields.text();
    // With Sincron on every copy rebuilds its roster from the answers to anyone's request.
    if (seams_.settings.net.sincron || isOwnNick(requester)) {
        roster_.clear();
        view_.rosterChanged();
    }
    send(refreshAnswer(requester, identity_.nick, identity_.status, identity_.visibility));
}

void Chat::onRefreshAnswer(FieldReader& fields) {
    const std::string_view requester = fields.text();
    const std::string_view answerer = fields.text();
    const std::optional<char> status = fields.character();
    const std::optional<char> visibility = fields.character();
    if (!status || !visibility || !isStatus(*status) || answerer.empty()) {
        return;
    }
    const bool ownRequest = isOwnNick(requester);
    if (!ownRequest) {
        if (!seams_.settings.net.sincron) {
            return;
        }
        // Someone else's refresh rebuilt every roster, so this copy's own one can wait.
        refreshCounter_ = 0;
        if (roster_.find(answerer) >= 0) {
            return;
        }
    }
    const Channel* channel = channels_.find(tabs_[static_cast<std::size_t>(current_)].name);
    const int member = channel != nullptr && ChannelTable::hasMember(*channel, answerer) ? 1 : 0;
    addRosterRow(answerer, *status, 4 + 2 * member + visibilityBit(*visibility));
}

void Chat::renameFromNickBox(const std::string& text) {
    if (text.empty()) {
        view_.ownNickChanged(identity_.nick);
        return;
    }
    if (text == identity_.nick) {
        return;
    }
    sendRename(identity_.nick, text);
    takeNick(text);
}

void Chat::sendRename(const std::string& oldNick, const std::string& newNick) {
    send(renameNick(oldNick, newNick, identity_.gender));
}

void Chat::takeNick(const std::string& nick) {
    identity_.nick = nick;
    settings::recordNick(seams_.settings.nicks, nick, seams_.settingsFile);
    view_.ownNickChanged(nick);
}

void Chat::onRename(FieldReader& fields) {
    const std::string oldNick(fields.text());
    const std::string newNick(fields.text());
    const std::optional<char> gender = fields.character();
    if (!gender || oldNick.empty() || newNick.empty()) {
        return;
    }
    write(0, kRenameFont,
          "\r" + stamp() + " " + oldNick + " " + seams_.texts.gendered("Rename", *gender) + " " +
              newNick);

    if (const int row = roster_.find(oldNick); row >= 0) {
        roster_.row(row).nick = newNick;
        roster_.reposition(row);
        view_.rosterChanged();
    }
    for (const Channel& known : channels_.channels()) {
        Channel& channel = *channels_.find(known.name);
        if (ChannelTable::hasMember(channel, oldNick)) {
            ChannelTable::removeMember(channel, oldNick);
            ChannelTable::addMember(channel, newNick);
        }
    }
    for (auto& [nick, computer] : computerNames_) {
        if (nick == oldNick) {
            nick = newNick;
        }
    }

    // Another copy took this copy's nick: this one steps aside under a new one, which it
    // announces but does not keep in the nick history. A nick in other letter cases is the
    // same nick in every nick list, so it is taken all the same.
    if (!isOwnPacket() && seams_.codePage.sameIgnoringCase(newNick, identity_.nick)) {
        const std::string ownOld = identity_.nick;
        const std::string ownNew = ownOld + "_" + static_cast<char>('0' + seams_.random(9));
        view_.ownNickChanged(ownNew);
        sendRename(ownOld, ownNew);
        identity_.nick = ownNew;
    }
}

void Chat::setStatus(char status) {
    if (isStatus(status)) {
        identity_.status = status;
    }
}

void Chat::announceStatus(std::optional<std::string> autoAnswer) {
    identity_.autoAnswer = std::move(autoAnswer).value_or(std::string());
    send(statusChange(identity_.nick, identity_.status, identity_.gender, identity_.autoAnswer));
}

void Chat::onStatusChange(FieldReader& fields) {
    const std::string_view nick = fields.text();
    const std::optional<char> status = fields.character();
    const std::optional<char> gender = fields.character();
    const std::string_view autoAnswer = fields.text();
    if (!status || !gender || !isStatus(*status) || nick.empty()) {
        return;
    }
    const common::PlaceholderParts parts =
        common::splitAtPlaceholder(seams_.texts.gendered("ModeCh", *gender));
    std::string line = "\r" + stamp() + " ";
    line.append(nick).append(" ").append(parts.before).append(" \"");
    line.append(seams_.texts.statusName(*status)).append("\" ").append(parts.after);
    line.append(" (").append(autoAnswer).append(")");
    write(0, kConfirmationFont, line);

    if (const int row = roster_.find(nick); row >= 0) {
        roster_.row(row).status = *status;
        view_.rosterChanged();
    }
}

void Chat::windowShown(bool shown) {
    identity_.visibility = shown ? '1' : '0';
    // Until a packet has come in, this copy cannot know that anyone would hear it.
    if (seams_.framing.hasReceivedAnything()) {
        send(windowVisibility(identity_.nick, identity_.visibility));
    }
}

void Chat::onWindowVisibility(FieldReader& fields) {
    const std::string_view nick = fields.text();
    const std::optional<char> visibility = fields.character();
    if (!visibility) {
        return;
    }
    if (const int row = roster_.find(nick); row >= 0) {
        RosterRow& peer = roster_.row(row);
        peer.stateImage = (peer.stateImage > 5 ? 6 : 4) + visibilityBit(*visibility);
        view_.rosterChanged();
    }
}

void Chat::requestInformation(const std::string& nick) {
    if (!nick.empty()) {
        send(informationRequest(nick, identity_.nick));
    }
}

void Chat::onInformationRequest(FieldReader& fields) {
    const std::string_view target = fields.text();
    const std::string_view requester = fields.text();
    if (!isOwnNick(target)) {
        return;
    }
    send(informationAnswer(requester, identity_.nick, identity_.computerName, identity_.userName,
                           identity_.address, channels_.channelList(), identity_.autoAnswer));
}

void Chat::onInformationAnswer(FieldReader& fields) {
    const std::string_view requester = fields.text();
    const std::string_view answerer = fields.text();
    const std::string_view computer = fields.text();
    // Every answer teaches the computer name, whoever asked.
    const auto pair = std::make_pair(std::string(answerer), std::string(computer));
    if (!answerer.empty() && computerNames_.size() < kMaxComputerNames &&
        std::find(computerNames_.begin(), computerNames_.end(), pair) == computerNames_.end()) {
        computerNames_.push_back(pair);
    }
    if (!isOwnNick(requester)) {
        return;
    }
    InformationAnswer answer;
    answer.answerer = answerer;
    answer.computerName = computer;
    answer.userName = fields.text();
    answer.address = fields.text();
    for (const std::string& name : channelNames(fields.text())) {
        answer.channels.push_back("#" + name);
    }
    answer.autoAnswer = fields.text();
    view_.openInformation(answer);
}

} // namespace natterby::protocol
