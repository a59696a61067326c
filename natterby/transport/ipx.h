#pragma once

#include "natterby/transport/esocketerror.h"
#include "natterby/transport/ipxsocketcalls.h"
#include "natterby/transport/packetsink.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

namespace natterby::transport {

// An IPX datagram socket that sends to the broadcast node of its network and reports received
// datagrams through an event. Every failure comes back as an ESocketError.
class IpxSocket : public PacketSink {
public:
    using ReceiveEvent =
        std::function<void(std::span<char> data, const IpxAddress& from, int fromLength)>;

    static constexpr std::uint16_t kDefaultSocketNumber = 0x5678;
    static constexpr std::int32_t kDefaultPacketType = 4;
    static constexpr std::int32_t kDefaultFilterType = 4;
    static constexpr std::size_t kReceiveBufferSize = 4096;

    explicit IpxSocket(IpxSocketCalls& calls);
    ~IpxSocket() override;
    IpxSocket(const IpxSocket&) = delete;
    IpxSocket& operator=(const IpxSocket&) = delete;

    // Creates, binds to the own socket number, applies the options (the default packet type, no
    // filter, broadcast as set, no IPX header on received datagrams) and starts the
    // notifications. Does nothing while open. A failure leaves the socket closed.
    std::optional<ESocketError> open();
    // One datagram to the broadcast node of the destination network and socket number.
    std::optional<ESocketError> send(std::string_view bytes);
    // The socket counts as closed afterwards even when closing it failed.
    std::optional<ESocketError> close();
    bool isOpen() const { return handle_ != -1; }

    std::optional<ESocketError> sendPacket(std::string_view packet) override {
        return send(packet);
    }

    // Stored, and applied at once while the socket is open.
    std::optional<ESocketError> setBroadcast(bool on);
    // Take effect at the next open and the next send.
    void setOwnSocketNumber(std::uint16_t number) { ownSocketNumber_ = number; }
    void setDestinationSocketNumber(std::uint16_t number) { destinationSocketNumber_ = number; }

    // Datagrams that fail to arrive are not reported: the chat waits for the next one.
    void setReceiveEvent(ReceiveEvent event) { onReceive_ = std::move(event); }

private:
    std::optional<ESocketError> applyBroadcast();
    std::optional<ESocketError> applyOption(int level, int option, std::int32_t value);
    ESocketError lastError() const { return ESocketError::fromCode(calls_.lastError()); }
    // Closes the half-opened socket and passes the failure on.
    ESocketError abandon(ESocketError error);
    void notify(int event, int error);

    IpxSocketCalls& calls_;
    IpxSocketCalls::Handle handle_ = -1;
    std::uint16_t ownSocketNumber_ = kDefaultSocketNumber;
    std::array<std::uint8_t, 4> destinationNetwork_{};
    std::uint16_t destinationSocketNumber_ = kDefaultSocketNumber;
    bool broadcast_ = true;
    ReceiveEvent onReceive_;
};

} // namespace natterby::transport
