#include "natterby/protocol/chat.h"

#include <algorithm>
#include <array>

namespace natterby::protocol {

namespace {

// The file-exchange program keeps the chat's handle in 16 bits.
std::string handleArgument(int window) {
    return std::to_string(window & 0xFFFF);
}

// The four numbers of an address another computer can be reached at. Anything else gives four
// zeros, which the file-exchange program takes for an unknown address, as it always has for
// "none": a part that is no number from 0 to 255, a missing or extra part, 0.0.0.0 (which would
// reach this very computer) and loopback addresses (the same). A peer's text never makes the
// sending program connect here.
std::array<int, 4> reachableAddress(std::string_view address) {
    constexpr std::array<int, 4> kUnknown{};
    std::array<int, 4> parts{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t dot = address.find('.', start);
        if ((dot == address.npos) != (i + 1 == parts.size())) {
            return kUnknown;
        }
        const std::string_view part =
            address.substr(start, dot == address.npos ? dot : dot - start);
        if (part.empty() || part.size() > 3) {
            return kUnknown;
        }
        for (const char c : part) {
            if (c < '0' || c > '9') {
                return kUnknown;
            }
            parts[i] = parts[i] * 10 + (c - '0');
        }
        if (parts[i] > 255) {
            return kUnknown;
        }
        start = dot + 1;
    }
    return parts[0] == 0 || parts[0] == 127 ? kUnknown : parts;
}

bool isReachable(std::string_view address) {
    return reachableAddress(address) != std::array<int, 4>{};
}

} // namespace

void Chat::offerFiles(const std::string& nick) {
    if (nick.empty() || transfer_.running) {
        return;
    }
    // Only an answer to an offer this chat made starts the program; one offer to a nick at a
    // time, until it is answered or has lapsed.
    std::vector<PendingOffer>& offers = transfer_.offers;
    if (std::any_of(offers.begin(), offers.end(),
                    [&](const PendingOffer& offer) { return offer.nick == nick; })) {
        return;
    }
    offers.push_back({nick, 0});
    sendFileOffer(fileOffer(nick, identity_.nick));
}

void Chat::lapseOffers() {
    std::erase_if(transfer_.offers,
                  [](PendingOffer& offer) { return ++offer.ticks >= kOfferLapseTicks; });
}

void Chat::onFileOffer(FieldReader& fields, Origin origin) {
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
    // Without a program to receive, a yes would leave the offering side waiting for an
    // address that never comes.
    if (!startCouriel("wait " + handleArgument(ownWindow_))) {
        sendFileOffer(fileOfferAnswer(sender, identity_.nick, '0'));
        return;
    }
    // The partner is whom the address goes to once the program listens (notice 221).
    transfer_.running = true;
    transfer_.partner = sender;
    transfer_.offerOrigin = origin;
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
    // An answer nobody asked for, or a second one, does nothing: no program starts and no
    // refusal shows.
    const auto offer =
        std::find_if(transfer_.offers.begin(), transfer_.offers.end(),
                     [&](const PendingOffer& pending) { return pending.nick == answering; });
    if (offer == transfer_.offers.end()) {
        return;
    }
    transfer_.offers.erase(offer);
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
    if (!transfer_.running && startCouriel(handleArgument(ownWindow_))) {
        transfer_.running = true;
        transfer_.addressFrom = answering;
    }
}

void Chat::onReceiverAddress(FieldReader& fields) {
    if (!isOwnNick(fields.text())) {
        return;
    }
    const std::string_view accepting = fields.text();
    const std::string_view address = fields.text();
    // Only the peer whose answer started the program gives it an address, and only once: the
    // program takes every part it is sent as the next one.
    if (!transfer_.running || transfer_.addressFrom.empty() || accepting != transfer_.addressFrom) {
        return;
    }
    transfer_.addressFrom.clear();
    for (const int part : reachableAddress(address)) {
        seams_.couriel.send(transfer_.courielWindow, kCourielAddressPart, part);
    }
    seams_.couriel.send(transfer_.courielWindow, kCourielAddressComplete, 0);
}

void Chat::courielNotice(int code, int value) {
    switch (code) {
    case kCourielStarted:
        transfer_.courielWindow = value;
        return;
    case kCourielListening:
        transfer_.courielWindow = value;
        if (!transfer_.partner.empty()) {
            sendFileOffer(receiverAddress(transfer_.partner, identity_.nick, addressForPartner()));
        }
        return;
    case kCourielFinished:
        transfer_.courielWindow = value;
        transfer_.running = false;
        transfer_.partner.clear();
        transfer_.offerOrigin.reset();
        transfer_.addressFrom.clear();
        return;
    default:
        return;
    }
}

std::string Chat::addressForPartner() {
    // The address the route to the offering peer leaves from is one it can reach; the first of
    // the host's list may belong to a VPN or a container bridge.
    if (transfer_.offerOrigin) {
        const std::optional<std::string> routed = seams_.host.addressToward(*transfer_.offerOrigin);
        if (routed && isReachable(*routed)) {
            return *routed;
        }
    }
    // An offer over IPX has no IPv4 source: the address found at start, or when that one would
    // send the peer to itself, the last address the host has, the likeliest to be on the
    // network.
    std::string& address = identity_.address;
    if (address.empty() || address == "127.0.0.1") {
        const std::vector<std::string> addresses = seams_.host.addresses();
        address = addresses.empty() ? std::string() : addresses.back();
    }
    return address;
}

bool Chat::startCouriel(const std::string& arguments) {
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
    const std::string program = seams_.packageFolder + "couriel";
    const std::optional<std::string> failure = seams_.launcher.startProgram(program, words);
    if (!failure) {
        return true;
    }
    view_.showMessage(seams_.texts.get("SysMes", "NoCouriel") + " " +
                      seams_.codePage.fromUtf8(program) + ": " +
                      seams_.codePage.fromUtf8(*failure));
    return false;
}

} // namespace natterby::protocol
