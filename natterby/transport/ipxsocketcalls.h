#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace natterby::transport {

// The Windows Sockets values that the IPX socket speaks in; an implementation translates them
// to its platform.
inline constexpr int kAfIpx = 6;
inline constexpr int kSockDgram = 2;
inline constexpr int kNsprotoIpx = 1000;
inline constexpr int kSolSocket = 0xFFFF;
inline constexpr int kSoBroadcast = 0x20;
inline constexpr int kIpxPtype = 0x4000;
inline constexpr int kIpxStopFilterPtype = 0x4003;
inline constexpr int kIpxRecvHdr = 0x4005;
inline constexpr int kFdRead = 1;
inline constexpr int kFdWrite = 2;

// SOCKADDR_IPX: family, network, node and socket number, 14 bytes. Network and socket number
// are in network byte order.
struct IpxAddress {
    std::uint16_t family = kAfIpx;
    std::array<std::uint8_t, 4> network{};
    std::array<std::uint8_t, 6> node{};
    std::array<std::uint8_t, 2> socket{};

    bool operator==(const IpxAddress&) const = default;
};
inline constexpr int kIpxAddressLength = 14;

// The socket calls of the IPX socket, in the shape of Windows Sockets: a failed call returns -1
// and lastError() then tells its Windows Sockets code.
class IpxSocketCalls {
public:
    using Handle = int;
    // A notification: the event (kFdRead, kFdWrite) and an error code, 0 when none.
    using Notification = std::function<void(int event, int error)>;

    virtual ~IpxSocketCalls() = default;

    virtual Handle socket(int family, int type, int protocol) = 0;
    virtual int bind(Handle handle, const IpxAddress& address, int length) = 0;
    virtual int setsockopt(Handle handle, int level, int option, std::int32_t value) = 0;
    virtual int sendto(Handle handle, std::string_view bytes, const IpxAddress& to, int length) = 0;
    // The number of bytes received; a datagram longer than the buffer fails (WSAEMSGSIZE).
    virtual int recvfrom(Handle handle, std::span<char> buffer, IpxAddress& from, int& length) = 0;
    virtual int closesocket(Handle handle) = 0;
    // Notifications for the events (a mask of kFdRead and kFdWrite) arrive on the event loop;
    // no events cancels them. Makes the socket non-blocking.
    virtual int asyncSelect(Handle handle, int events, Notification notify) = 0;
    virtual int lastError() const = 0;
};

} // namespace natterby::transport
