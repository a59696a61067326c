// Datagrams through a whole chat: framing, dispatch and every handler.
//
// An input is a run of records, each one datagram:
//   byte 0      how the bytes arrive: 0 as a raw datagram; 1 as the body of a chat-class packet
//               from another copy, 2 as a file-offer-class one; 3 as the chat's own packet
//   bytes 1, 2  the length of the bytes, little-endian (cut to what the input holds)
//   then        the bytes
// Bodies are framed here, so the fuzzer mutates plain fields instead of scrambled bytes.
#include "fuzz/fuzzchat.h"
#include "tests/fakes/quietchat.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

class Capture : public natterby::transport::PacketSink {
public:
    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view packet) override {
        last.assign(packet);
        return std::nullopt;
    }
    std::string last;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const natterby::protocol::ChatTexts texts;
    static const common::CodePage codePage("CP1251");
    // A fresh chat per input keeps runs repeatable.
    fakes::QuietChat quiet(texts, codePage, fuzzchat::folder(), fuzzchat::settings());
    Capture capture;
    int next = 0;
    natterby::transport::Framing peer(capture, [&next] { return next++ % 95; });

    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    while (at + 3 <= input.size()) {
        const unsigned mode = static_cast<unsigned char>(input[at]) % 4;
        const std::size_t length =
            static_cast<unsigned char>(input[at + 1]) |
            static_cast<std::size_t>(static_cast<unsigned char>(input[at + 2])) << 8;
        const std::string_view bytes = input.substr(at + 3, length);
        at += 3 + bytes.size();
        if (mode == 0) {
            fuzzchat::deliver(quiet.chat, bytes);
            continue;
        }
        if (mode == 3) {
            quiet.framing.send(bytes, true);
            fuzzchat::deliver(quiet.chat, quiet.lastSent);
        } else {
            peer.send(bytes, mode == 1);
            fuzzchat::deliver(quiet.chat, capture.last);
        }
    }
    return 0;
}
