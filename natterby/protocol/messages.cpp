#include "natterby/protocol/messages.h"

#include <array>
#include <initializer_list>

namespace natterby::protocol {

namespace {

// One field of a body being built: a text or a single character.
struct Field {
    Field(std::string_view text) : text(text.substr(0, text.find('\0'))) {}
    Field(const char* text) : Field(std::string_view(text)) {}
    Field(char character) : character(character), isCharacter(true) {}

    std::string_view text;
    char character = 0;
    bool isCharacter = false;
};

std::string build(std::string_view code, std::initializer_list<Field> fields) {
    std::string body(code);
    for (const Field& field : fields) {
        if (field.isCharacter) {
            body += field.character;
        } else {
            body.append(field.text);
            body += '\0';
        }
    }
    return body;
}

constexpr std::array kLayouts{
    MessageLayout{'T', "0", "t"},       MessageLayout{'T', "1", "ttcc"},
    MessageLayout{'T', "2", "ttt"},     MessageLayout{'T', "3", "ttc"},
    MessageLayout{'T', "4", "ttcc"},    MessageLayout{'T', "5", "ttc"},
    MessageLayout{'T', "6", "ttt"},     MessageLayout{'T', "7", "cttct"},
    MessageLayout{'T', "8", "tttt"},    MessageLayout{'T', "9", "ttt"},
    MessageLayout{'T', "A", "ttt"},     MessageLayout{'T', "B", "tt"},
    MessageLayout{'T', "C", "ttt"},     MessageLayout{'T', "D", "tcct"},
    MessageLayout{'T', "E", "ttt"},     MessageLayout{'T', "F", "tt"},
    MessageLayout{'T', "G", "ttttttt"}, MessageLayout{'T', "H0", "tt"},
    MessageLayout{'T', "H1", "ttc"},    MessageLayout{'T', "I", "ttt"},
    MessageLayout{'T', "J0", "ttc"},    MessageLayout{'T', "J1", "ttc"},
    MessageLayout{'T', "J2", "ttt"},    MessageLayout{'T', "J3", "ttt"},
    MessageLayout{'T', "K", "tttc"},    MessageLayout{'T', "L", "tt"},
    MessageLayout{'T', "M", "tc"},      MessageLayout{'T', "N", "t"},
    MessageLayout{'T', "O", "tt"},      MessageLayout{'T', "P0", "ttt"},
    MessageLayout{'T', "P1", "ttt"},    MessageLayout{'Y', "R", "tt"},
    MessageLayout{'Y', "S", "ttc"},     MessageLayout{'Y', "T", "ttt"},
};

} // namespace

std::string refreshRequest(std::string_view requester) {
    return build("0", {requester});
}

std::string refreshAnswer(std::string_view requester, std::string_view answerer, char status,
                          char visibility) {
    return build("1", {requester, answerer, status, visibility});
}

std::string chatLine(std::string_view channel, std::string_view sender, std::string_view text) {
    return build("2", {channel, sender, text});
}

std::string renameNick(std::string_view oldNick, std::string_view newNick, char gender) {
    return build("3", {oldNick, newNick, gender});
}

std::string join(std::string_view nick, std::string_view channel, char status, char gender) {
    return build("4", {nick, channel, status, gender});
}

std::string leave(std::string_view nick, std::string_view channel, char gender) {
    return build("5", {nick, channel, gender});
}

std::string privateMessage(std::string_view sender, std::string_view recipient,
                           std::string_view text) {
    return build("6", {sender, recipient, text});
}

std::string confirmation(char status, std::string_view confirmingNick,
                         std::string_view messageSender, char gender, std::string_view autoAnswer) {
    return build("7", {status, confirmingNick, messageSender, gender, autoAnswer});
}

std::string remoteExecute(std::string_view sender, std::string_view target,
                          std::string_view command, std::string_view password) {
    return build("8", {sender, target, command, password});
}

std::string remoteExecuteConfirmation(std::string_view requester, std::string_view executor) {
    return build("9", {requester, executor, ""});
}

std::string actionLine(std::string_view channel, std::string_view sender, std::string_view text) {
    return build("A", {channel, sender, text});
}

std::string topicChange(std::string_view channel, std::string_view topic) {
    return build("B", {channel, topic});
}

std::string topicAnswer(std::string_view joiner, std::string_view channel, std::string_view topic) {
    return build("C", {joiner, channel, topic});
}

std::string statusChange(std::string_view nick, char status, char gender,
                         std::string_view autoAnswer) {
    return build("D", {nick, status, gender, autoAnswer});
}

std::string massMessage(std::string_view sender, std::string_view recipient,
                        std::string_view text) {
    return build("E", {sender, recipient, text});
}

std::string informationRequest(std::string_view target, std::string_view requester) {
    return build("F", {target, requester});
}

std::string informationAnswer(std::string_view requester, std::string_view answerer,
                              std::string_view computerName, std::string_view userName,
                              std::string_view address, std::string_view channelList,
                              std::string_view autoAnswer) {
    return build("G",
                 {requester, answerer, computerName, userName, address, channelList, autoAnswer});
}

std::string soundCall(std::string_view target, std::string_view caller) {
    return build("H0", {target, caller});
}

std::string soundCallAnswer(std::string_view caller, std::string_view answerer, char gender) {
    return build("H1", {caller, answerer, gender});
}

std::string channelSoundCall(std::string_view sender, std::string_view channel) {
    return build("I", {sender, "1.wav", channel});
}

std::string talkInvitation(std::string_view inviting, std::string_view invited, char gender) {
    return build("J0", {inviting, invited, gender});
}

std::string talkEnd(std::string_view leaving, std::string_view partner, char gender) {
    return build("J1", {leaving, partner, gender});
}

std::string talkLine(std::string_view sender, std::string_view partner, std::string_view text) {
    return build("J2", {sender, partner, text});
}

std::string talkAction(std::string_view sender, std::string_view partner, std::string_view text) {
    return build("J3", {sender, partner, text});
}

std::string memberAnswer(std::string_view requester, std::string_view channel,
                         std::string_view member, char visibility) {
    return build("K", {requester, channel, member, visibility});
}

std::string memberRequest(std::string_view requester, std::string_view channel) {
    return build("L", {requester, channel});
}

std::string windowVisibility(std::string_view nick, char visibility) {
    return build("M", {nick, visibility});
}

std::string channelListRequest(std::string_view requester) {
    return build("N", {requester});
}

std::string channelListAnswer(std::string_view requester, std::string_view channelList) {
    return build("O", {requester, channelList});
}

std::string probe(std::string_view target, std::string_view requester, std::string_view token) {
    return build("P0", {target, requester, token});
}

std::string probeAnswer(std::string_view requester, std::string_view answerer,
                        std::string_view token) {
    return build("P1", {requester, answerer, token});
}

std::string fileOffer(std::string_view recipient, std::string_view sender) {
    return build("R", {recipient, sender});
}

std::string fileOfferAnswer(std::string_view offering, std::string_view answering, char answer) {
    return build("S", {offering, answering, answer});
}

std::string receiverAddress(std::string_view offering, std::string_view answering,
                            std::string_view address) {
    return build("T", {offering, answering, address});
}

std::string_view FieldReader::text() {
    if (position_ >= datagram_.size()) {
        return {};
    }
    const std::string_view rest = datagram_.substr(position_);
    const std::size_t end = rest.find('\0');
    if (end == std::string_view::npos) {
        return rest;
    }
    position_ += end + 1;
    return rest.substr(0, end);
}

std::optional<char> FieldReader::character() {
    if (position_ >= datagram_.size()) {
        return std::nullopt;
    }
    return datagram_[position_++];
}

std::span<const MessageLayout> messageLayouts() {
    return kLayouts;
}

} // namespace natterby::protocol
