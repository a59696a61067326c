#include "natterby/protocol/chat.h"

#include <array>

namespace natterby::protocol {

namespace {

// The file-exchange program keeps the chat's handle in 16 bits.
std::string handleArgument(int window) {
    return std::to_string(window & 0xFFFF);
}

// One part of a dotted address as the file-exchange program takes it, a number from 0 to 255;
// anything else gives 0, so a peer's text never becomes a value the address cannot hold.
int addressPart(std::string_view part) {
    if (part.empty()) {
        return 0;
    }
    int value = 0;
    for (const char c : part) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + (c - '0');
        if (value > 255) {
            return 0;
        }
    }
    return value;
}

// The first four parts of the address; missing ones are 0, so "none" gives four zeros.
std::array<int, 4> addressParts(std::string_view address) {
    std::array<int, 4> parts{};
    std::size_t start = 0;
    for (int& part : parts) {
        if (start > address.size()) {
            break;
        }
        const std::size_t dot = address.find('.', start);
        part = addressPart(address.substr(start, dot == address.npos ? address.npos : dot - start));
        start = dot == address.npos ? address.size() + 1 : dot + 1;
    }
    return parts;
}

} // namespace

void Chat::offerFiles(const std::string& nick) {
    if (nick.empty() || transfer_.running) {
        return;
    }
    sendFileOffer(fileOffer(nick, identity_.nick));
}

void Chat::onFileOffer(FieldReader& fields) {
    if (!isOwnNick(fields.text())) {
        return;
    }
    const std::string sender(fields.text());
    // One transfer at a time: a busy peer refuses as a user who said no.
    if (transfer_.running) {
        sendFileOffer(fileOfferAnswer(sender, identity_.nick, '0'));
        return;
    }
    if (!view_.askYesNo(seams_.texts.get("SysMes", "FileFrom") + " <" + sender + ">?")) {
        sendFileOffer(fileOfferAnswer(sender, identity_.nick, '0'));
        return;
    }
    // The partner is whom the address goes to once the program listens (notice 221).
    startCouriel("wait " + handleArgument(ownWindow_));
    transfer_.running = true;
    transfer_.partner = sender;
    sendFileOffer(fileOfferAnswer(sender, identity_.nick, '1'));
}

void Chat::onFileOfferAnswer(FieldReader& fields) {
    if (!isOwnNick(fields.text())) {
        return;
    }
    const std::string answering(fields.text());
    const std::optional<char> answer = fields.character();
    if (!answer) {
        return;
    }
    if (*answer == '0') {
        // The text is meant to follow the nick after a blank, which a language file's value
        // loses in the reading.
        std::string refusal = seams_.texts.get("SysMes", "NotFile");
        if (refusal.empty() || refusal.front() != ' ') {
            refusal.insert(0, " ");
        }
        view_.showMessage("<" + answering + ">" + refusal);
        return;
    }
    if (!transfer_.running) {
        startCouriel(handleArgument(ownWindow_));
        transfer_.running = true;
    }
}

void Chat::onReceiverAddress(FieldReader& fields) {
    if (!isOwnNick(fields.text())) {
        return;
    }
    fields.text(); // the accepting nick
    const std::string_view address = fields.text();
    if (!transfer_.running) {
        return;
    }
    for (const int part : addressParts(address)) {
        seams_.couriel.send(transfer_.courielWindow, kCourielAddressPart, part);
    }
    seams_.couriel.send(transfer_.courielWindow, kCourielAddressComplete, 0);
}

void Chat::courielNotice(int code, int value) {
    switch (code) {
    case kCourielStarted:
        transfer_.courielWindow = value;
        return;
    case kCourielListening: {
        transfer_.courielWindow = value;
        // A loopback or missing address would send the peer to itself; the last address the
        // host has is the likeliest to be on the network.
        std::string& address = identity_.address;
        if (address.empty() || address == "127.0.0.1") {
            const std::vector<std::string> addresses = seams_.host.addresses();
            address = addresses.empty() ? std::string() : addresses.back();
        }
        sendFileOffer(receiverAddress(transfer_.partner, identity_.nick, address));
        return;
    }
    case kCourielFinished:
        transfer_.courielWindow = value;
        transfer_.running = false;
        transfer_.partner.clear();
        return;
    default:
        return;
    }
}

void Chat::startCouriel(const std::string& arguments) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < arguments.size()) {
        const std::size_t blank = arguments.find(' ', start);
        const std::size_t end = blank == std::string::npos ? arguments.size() : blank;
        if (end > start) {
            words.push_back(arguments.substr(start, end - start));
        }
        start = end + 1;
    }
    seams_.launcher.startProgram(seams_.packageFolder + "couriel", words);
}

} // namespace natterby::protocol
