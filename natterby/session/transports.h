#pragma once

#include "natterby/transport/packetsink.h"

#include <cstdint>
#include <optional>
#include <string>

namespace natterby::session {

// The chat's datagram transports as the start-up load opens them, the framing sends through
// them and the close steps close them. The program's are real sockets (NetworkLink); a test's
// can be an in-memory loop that hands its packets to Session::receive.
class Transports : public transport::PacketSink {
public:
    // The error's text when the IPX socket cannot be opened.
    virtual std::optional<std::string> openIpx(std::uint16_t socket) = 0;
    // Failures are reported by the transport itself.
    virtual void openUdp(std::int32_t port, const std::string& address) = 0;
    virtual void close() = 0;
};

} // namespace natterby::session
