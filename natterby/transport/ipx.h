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
    using WriteEvent = std::function<void()>;
    using ErrorEvent = std::function<void(int event, std::string_view message, int code)>;

    static constexpr std::uint16_t kDefaultSocketNumber = 0x5678;
    static constexpr std::int32_t kDefaultPacketType = 4;
    static constexpr std::int32_t kDefaultFilterType = 4;
    static constexpr std::int32_t kDefaultMaxDatagramSize = 546;
    static constexpr std::size_t kReceiveBufferSize = 4096;

    explicit IpxSocket(IpxSocketCalls& calls);
    ~IpxSocket() override;
    IpxSocket(const IpxSocket&) = delete;
    IpxSocket& operator=(const IpxSocket&) = delete;

    // Creates, binds to the own socket number, applies the options and starts the
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
    std::optional<ESocketError> setPacketType(std::int32_t type);
    std::optional<ESocketError> setFilter(bool on);
    std::optional<ESocketError> setBroadcast(bool on);
    std::optional<ESocketError> setReceiveHeader(bool on);
    // Take effect at the next open and the next send.
    void setOwnSocketNumber(std::uint16_t number) { ownSocketNumber_ = number; }
    void setDestinationSocketNumber(std::uint16_t number) { destinationSocketNumber_ = number; }

    void setReceiveEvent(ReceiveEvent event) { onReceive_ = std::move(event); }
    void setWriteEvent(WriteEvent event) { onWrite_ = std::move(event); }
    void setErrorEvent(ErrorEvent event) { onError_ = std::move(event); }

    std::uint16_t ownSocketNumber() const { return ownSocketNumber_; }
    std::uint16_t destinationSocketNumber() const { return destinationSocketNumber_; }
    const std::array<std::uint8_t, 4>& destinationNetwork() const { return destinationNetwork_; }
    const std::array<std::uint8_t, 6>& destinationNode() const { return destinationNode_; }
    const std::array<std::uint8_t, 4>& ownNetwork() const { return ownNetwork_; }
    const std::array<std::uint8_t, 6>& ownNode() const { return ownNode_; }
    std::int32_t packetType() const { return packetType_; }
    bool filter() const { return filter_; }
    std::int32_t filterType() const { return filterType_; }
    bool broadcast() const { return broadcast_; }
    bool receiveHeader() const { return receiveHeader_; }
    std::int32_t maxDatagramSize() const { return maxDatagramSize_; }

private:
    std::optional<ESocketError> applyPacketType();
    std::optional<ESocketError> applyFilter();
    std::optional<ESocketError> applyBroadcast();
    std::optional<ESocketError> applyReceiveHeader();
    std::optional<ESocketError> applyOption(int level, int option, std::int32_t value);
    ESocketError lastError() const { return ESocketError::fromCode(calls_.lastError()); }
    // Closes the half-opened socket and passes the failure on.
    ESocketError abandon(ESocketError error);
    void notify(int event, int error);

    IpxSocketCalls& calls_;
    IpxSocketCalls::Handle handle_ = -1;
    std::uint16_t ownSocketNumber_ = kDefaultSocketNumber;
    std::array<std::uint8_t, 4> destinationNetwork_{};
    std::array<std::uint8_t, 6> destinationNode_;
    std::uint16_t destinationSocketNumber_ = kDefaultSocketNumber;
    std::array<std::uint8_t, 4> ownNetwork_{};
    std::array<std::uint8_t, 6> ownNode_{};
    std::int32_t packetType_ = kDefaultPacketType;
    bool filter_ = false;
    const std::int32_t filterType_ = kDefaultFilterType;
    bool broadcast_ = true;
    bool receiveHeader_ = false;
    std::int32_t maxDatagramSize_ = kDefaultMaxDatagramSize;
    ReceiveEvent onReceive_;
    WriteEvent onWrite_;
    ErrorEvent onError_;
};

} // namespace natterby::transport
