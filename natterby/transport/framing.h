#pragma once

#include "natterby/transport/packetsink.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace natterby::transport {

// What the dispatch needs of an accepted packet; the fields start at offset 11.
struct AcceptedPacket {
    char messageClass; // 'T' chat, 'Y' file-offer handshake
    char code;         // the first body byte, offset 10
};

// Every packet is a 10-byte header (class letter and nine random characters from 32 to 126)
// followed by the body XORed with a key stream taken from the SHA-512 digest of the header:
// digest bytes 1 to 62, over and over. No secret is involved; the header identifies the packet,
// which is how repeats and the packets that this copy sent itself are recognised.
class Framing {
public:
    // One random number from 0 to 94 for each random header character.
    using RandomSource = std::function<int()>;
    static constexpr std::size_t kHeaderLength = 10;
    static constexpr std::string_view kInitialReceivedHeader = "X123456789";

    Framing(PacketSink& sink, RandomSource random);
    ~Framing();
    Framing(const Framing&) = delete;
    Framing& operator=(const Framing&) = delete;

    // Frames, scrambles and sends the body as class 'T' (chatClass) or 'Y'. Reports nothing:
    // with networking off nothing is sent, and an IPX send failure turns networking off.
    void send(std::string_view body, bool chatClass);

    // Unscrambles the datagram in place and tells its class and code; nothing for an immediate
    // repeat of the last accepted header, for a datagram without a code (10 bytes or fewer) and
    // for a class other than 'T' and 'Y'. The header is remembered in every case but a repeat.
    std::optional<AcceptedPacket> accept(std::span<char> datagram);

    bool networking() const { return networking_; }
    // Turned on by whoever receives an IPX datagram: that is how sending resumes after an IPX
    // send failure.
    void setNetworking(bool on) { networking_ = on; }
    bool ipxTransport() const { return ipxTransport_; }
    void setIpxTransport(bool on) { ipxTransport_ = on; }

    // Whether the packet accepted last is one that this copy sent last.
    bool isOwnPacket() const { return lastReceived_ == lastSent_; }
    bool hasReceivedAnything() const { return lastReceived_ != kInitialReceivedHeader; }

private:
    // Fills key_ from the digest of the header; false when the digest could not be computed.
    bool deriveKey(std::string_view header);
    void scramble(std::span<char> body) const;

    PacketSink& sink_;
    RandomSource random_;
    evp_md_ctx_st* context_;
    std::array<unsigned char, 62> key_{};
    std::string packet_; // reused, so that a send allocates nothing once warmed up
    std::string lastSent_;
    std::string lastReceived_{kInitialReceivedHeader};
    bool networking_ = true;
    bool ipxTransport_ = true;
};

} // namespace natterby::transport
