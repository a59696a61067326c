#pragma once

#include "natterby/session/transports.h"
#include "natterby/transport/ipx.h"
#include "natterby/transport/linuxipxcalls.h"
#include "natterby/transport/udp.h"

#include <functional>
#include <span>
#include <string_view>

namespace natterby::session {

// The program's own transports: the UDP broadcast endpoint and the IPX socket, of which the
// start-up load opens one. Framed packets go out through the open one; every datagram received
// goes to the receiver.
class NetworkLink : public Transports {
public:
    // Every one is required.
    struct Handlers {
        // A datagram as received (header included), and the IPv4 address it came from (host
        // byte order; none over IPX); it may be changed in place.
        std::function<void(std::span<char> datagram, std::optional<std::uint32_t> source)> receive;
        // An IPX datagram arrived: sending may resume after a failed IPX send.
        std::function<void()> ipxHeard;
        // A failure the UDP transport reports, with its text.
        std::function<void(std::string_view text)> failure;
    };

    explicit NetworkLink(Handlers handlers);

    std::optional<std::string> openIpx(std::uint16_t socket) override;
    void openUdp(std::int32_t port, const std::string& address) override;
    void close() override;

    std::optional<transport::ESocketError> sendPacket(std::string_view packet) override;

private:
    Handlers handlers_;
    transport::LinuxIpxCalls ipxCalls_;
    transport::IpxSocket ipx_;
    transport::UdpTransport udp_;
    bool udpInUse_ = false;
};

} // namespace natterby::session
