#pragma once

#include "natterby/transport/framing.h"

#include <string>
#include <vector>

namespace fakes {

// Keeps every packet sent, and answers each send with the failure set.
class RecordingSink : public natterby::transport::PacketSink {
public:
    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view packet) override {
        packets.emplace_back(packet);
        return failure;
    }
    std::vector<std::string> packets;
    std::optional<natterby::transport::ESocketError> failure;
};

// The bodies of framed packets, unscrambled, each without its 10-byte header.
inline std::vector<std::string> sentBodies(const std::vector<std::string>& packets) {
    std::vector<std::string> bodies;
    for (std::string packet : packets) {
        RecordingSink sink;
        natterby::transport::Framing framing(sink, [] { return 0; });
        if (framing.accept(packet)) {
            bodies.push_back(packet.substr(natterby::transport::Framing::kHeaderLength));
        }
    }
    return bodies;
}

} // namespace fakes
