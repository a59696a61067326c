#include "natterby/transport/udp.h"

#include "platform/wsaerrors.h"

#include <array>

namespace natterby::transport {

namespace {

constexpr int kReceiveBufferBytes = 4 << 20;

} // namespace

UdpTransport::UdpTransport(ReceiveHandler onReceive, FailureHandler onFailure)
    : onReceive_(std::move(onReceive)), onFailure_(std::move(onFailure)) {}

void UdpTransport::open() {
    if (receiving_.isOpen()) {
        return;
    }
    if (check(receiving_.open()) && check(receiving_.bind(0, port_))) {
        // Every peer's packet reaches every copy at once, and a sound or a dialog can hold the
        // loop up: a roomy buffer keeps a burst from being dropped by the system meanwhile. The
        // system may grant less, which only costs packets in a very long burst.
        receiving_.setReceiveBuffer(kReceiveBufferBytes);
        receiving_.watchReadable([this] { readDatagram(); });
    }
    if (!check(sending_.open())) {
        return;
    }
    // Linux refuses to connect to, or send to, a broadcast address without this permission.
    if (check(sending_.setBroadcast(true))) {
        check(sending_.connect(platform::ipv4FromText(broadcastAddress_), port_));
    }
}

void UdpTransport::close() {
    receiving_.close();
    sending_.close();
}

std::optional<ESocketError> UdpTransport::sendPacket(std::string_view packet) {
    sending_.send(packet);
    return std::nullopt;
}

bool UdpTransport::check(int error) {
    if (error == 0 || error == platform::kWsaEWouldBlock) {
        return true;
    }
    onFailure_(kServerCreationFailed);
    return false;
}

void UdpTransport::readDatagram() {
    // A buffer per datagram: a handler that opens a dialog runs a nested event loop, which may
    // read the next datagram while this one is still being handled.
    std::array<char, kMaxDatagram> buffer;
    const platform::DatagramReceive received = receiving_.receive(buffer);
    // A failed receive, an over-long datagram among them, is dropped: a cut packet would
    // unscramble into a wrong message.
    if (received.error != 0 || received.size == 0) {
        return;
    }
    if (buffer[0] == 'T' || buffer[0] == 'Y') {
        onReceive_(std::span<char>(buffer.data(), received.size), received.source);
    }
}

} // namespace natterby::transport
