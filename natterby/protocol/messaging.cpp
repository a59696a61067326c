// What the user sends to other users beside chat lines: private and mass messages, remote
// execution requests and sound calls.
#include "natterby/archive/archivefile.h"
#include "natterby/protocol/chat.h"

namespace natterby::protocol {

void Chat::sendPrivateMessage(const std::string& nick, const std::string& text) {
    if (text.empty()) {
        return;
    }
    // Archived before it goes out, so that the record exists even when the send is lost.
    if (seams_.settings.view.arhive) {
        appendArchive(archive::kArchiveSent, nick, text);
    }
    send(privateMessage(identity_.nick, nick, text));
}

void Chat::sendMassMessage(const std::vector<std::string>& nicks, const std::string& text) {
    if (text.empty()) {
        return;
    }
    // Each recipient gets a message of its own; none of them is archived.
    for (const std::string& nick : nicks) {
        send(massMessage(identity_.nick, nick, text));
    }
}

void Chat::remoteExecute(const std::string& nick, const std::string& command,
                         const std::string& password) {
    send(protocol::remoteExecute(identity_.nick, nick, command, password));
}

void Chat::soundCall(const std::optional<std::string>& nick) {
    if (nick) {
        send(protocol::soundCall(*nick, identity_.nick));
    } else {
        send(channelSoundCall(identity_.nick, tabs_[static_cast<std::size_t>(current_)].name));
    }
}

} // namespace natterby::protocol
