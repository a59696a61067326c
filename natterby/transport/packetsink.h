#pragma once

#include "natterby/transport/esocketerror.h"

#include <optional>
#include <string_view>

namespace natterby::transport {

// Where framed packets go: the transport chosen at start (or, in tests, an in-memory network).
class PacketSink {
public:
    virtual ~PacketSink() = default;
    // Sends one packet to every peer. Only the IPX transport reports a failure; UDP loses a
    // failed send silently. The bytes last only for the call: a sink that delivers later copies
    // them.
    virtual std::optional<ESocketError> sendPacket(std::string_view packet) = 0;
};

} // namespace natterby::transport
