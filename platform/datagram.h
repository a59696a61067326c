#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

class QSocketNotifier;

namespace platform {

// One received datagram: its size and the IPv4 address it came from (host byte order), or the
// Windows Sockets code of a failed receive.
struct DatagramReceive {
    std::size_t size = 0;
    int error = 0;
    std::uint32_t source = 0;
};

// A non-blocking IPv4 UDP socket. Every operation returns 0 or the Windows Sockets code of its
// failure (wsaerrors.h). Readability is reported on the Qt event loop of the calling thread.
class DatagramSocket {
public:
    DatagramSocket();
    ~DatagramSocket();
    DatagramSocket(const DatagramSocket&) = delete;
    DatagramSocket& operator=(const DatagramSocket&) = delete;

    int open();
    // Exclusive: no address or port reuse, so a second process cannot bind the same port.
    int bind(std::uint32_t address, std::uint16_t port); // host byte order
    int setBroadcast(bool on);
    // Asks for a receive buffer of this many bytes; the system may grant less. Returns 0 or a
    // Windows Sockets code.
    int setReceiveBuffer(int bytes);
    int connect(std::uint32_t address, std::uint16_t port); // host byte order
    int send(std::string_view datagram);
    // The address the socket is bound to (host byte order); nothing when it cannot be asked.
    std::optional<std::uint32_t> localAddress() const;
    // A datagram longer than the buffer is consumed and reported as WSAEMSGSIZE, never cut.
    DatagramReceive receive(std::span<char> buffer);
    // onReadable is called from the event loop while a datagram waits to be read; it must read
    // one, or it is called again at once. An empty function stops the reports.
    void watchReadable(std::function<void()> onReadable);
    void close();
    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
    std::function<void()> onReadable_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// The IPv4 address of a dotted text by the rules of inet_addr, in host byte order: forms such
// as "10.1" are accepted, and text that is no address gives 255.255.255.255.
std::uint32_t ipv4FromText(const std::string& text);

// The local address this computer sends from to reach the peer (both in host byte order), as
// the routing table chooses it; nothing when no route leads there. No packet is sent.
std::optional<std::uint32_t> localAddressToward(std::uint32_t peer);

} // namespace platform
