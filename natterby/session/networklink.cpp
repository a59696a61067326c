#include "natterby/session/networklink.h"

namespace natterby::session {

NetworkLink::NetworkLink(Handlers handlers)
    : handlers_(std::move(handlers)), ipx_(ipxCalls_),
      udp_([this](std::span<char> datagram,
                  std::uint32_t source) { handlers_.receive(datagram, source); },
           [this](std::string_view text) { handlers_.failure(text); }) {
    ipx_.setReceiveEvent([this](std::span<char> data, const transport::IpxAddress&, int) {
        handlers_.ipxHeard();
        if (!data.empty() && (data.front() == 'T' || data.front() == 'Y')) {
            // IPX has no IPv4 source to learn anything from.
            handlers_.receive(data, std::nullopt);
        }
    });
}

std::optional<std::string> NetworkLink::openIpx(std::uint16_t socket) {
    ipx_.setOwnSocketNumber(socket);
    ipx_.setDestinationSocketNumber(socket);
    if (const auto error = ipx_.setBroadcast(true)) {
        return error->message;
    }
    if (const auto error = ipx_.open()) {
        return error->message;
    }
    return std::nullopt;
}

void NetworkLink::openUdp(std::int32_t port, const std::string& address) {
    // The port is held in 16 bits on the wire; a setting beyond them keeps its low bits.
    udp_.setPort(static_cast<std::uint16_t>(port));
    udp_.setBroadcastAddress(address);
    udp_.open();
    udpInUse_ = true;
}

void NetworkLink::close() {
    if (udpInUse_) {
        udp_.close();
    }
    ipx_.close();
}

std::optional<transport::ESocketError> NetworkLink::sendPacket(std::string_view packet) {
    if (udpInUse_) {
        return udp_.sendPacket(packet);
    }
    return ipx_.sendPacket(packet);
}

} // namespace natterby::session
