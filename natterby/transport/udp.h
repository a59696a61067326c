#pragma once

#include "natterby/transport/packetsink.h"
#include "platform/datagram.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace natterby::transport {

// "Ошибка создания сервера" in Windows-1251, the one report of a failed open.
inline constexpr std::string_view kServerCreationFailed =
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xF1\xEE\xE7\xE4\xE0\xED\xE8\xFF \xF1\xE5\xF0\xE2\xE5\xF0\xE0";

// The UDP transport: a receiving socket bound to the chat port on every local address, and a
// sending socket connected to the broadcast address and the same port. Every copy hears its
// own broadcasts through the receiving socket, and the chat relies on that.
class UdpTransport : public PacketSink {
public:
    // A received datagram whose first byte is 'T' or 'Y', and the IPv4 address it came from
    // (host byte order); the datagram may be unscrambled in place.
    using ReceiveHandler = std::function<void(std::span<char> datagram, std::uint32_t source)>;
    // A failed step of open, with the text to show.
    using FailureHandler = std::function<void(std::string_view text)>;

    static constexpr std::uint16_t kDefaultPort = 8198;
    static constexpr std::string_view kDefaultBroadcastAddress = "255.255.255.255";
    // The longest datagram delivered; a longer one is dropped whole.
    static constexpr std::size_t kMaxDatagram = 2049;

    UdpTransport(ReceiveHandler onReceive, FailureHandler onFailure);

    // Both take effect at the next open.
    void setPort(std::uint16_t port) { port_ = port; }
    void setBroadcastAddress(std::string address) { broadcastAddress_ = std::move(address); }

    // Does nothing while the receiving socket is open. A receiving socket that cannot be
    // created or bound does not stop the sending socket: the chat may send without hearing.
    void open();
    void close();
    bool isOpen() const { return receiving_.isOpen(); }

    // A failed send is lost silently.
    std::optional<ESocketError> sendPacket(std::string_view packet) override;

private:
    // Whether the step succeeded; a failure other than would-block is reported.
    bool check(int error);
    void readDatagram();

    ReceiveHandler onReceive_;
    FailureHandler onFailure_;
    std::uint16_t port_ = kDefaultPort;
    std::string broadcastAddress_{kDefaultBroadcastAddress};
    platform::DatagramSocket receiving_;
    platform::DatagramSocket sending_;
};

} // namespace natterby::transport
