#pragma once

#include "natterby/transport/framing.h"

#include <string>
#include <vector>

namespace fakes {

class IgnoringSink : public natterby::transport::PacketSink {
public:
    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view) override {
        return std::nullopt;
    }
};

// The bodies of framed packets, unscrambled, each without its 10-byte header.
inline std::vector<std::string> sentBodies(const std::vector<std::string>& packets) {
    std::vector<std::string> bodies;
    for (std::string packet : packets) {
        IgnoringSink sink;
        natterby::transport::Framing framing(sink, [] { return 0; });
        if (framing.accept(packet)) {
            bodies.push_back(packet.substr(natterby::transport::Framing::kHeaderLength));
        }
    }
    return bodies;
}

} // namespace fakes
