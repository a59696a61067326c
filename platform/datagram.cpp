#include "platform/datagram.h"

#include "platform/ipv4address.h"
#include "platform/wsaerrors.h"

#include <QSocketNotifier>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

DatagramSocket::DatagramSocket() = default;

DatagramSocket::~DatagramSocket() {
    close();
}

int DatagramSocket::open() {
    close();
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    return fd_ < 0 ? wsaLastError() : 0;
}

int DatagramSocket::bind(std::uint32_t address, std::uint16_t port) {
    const sockaddr_in a = ipv4SocketAddress(address, port);
    return ::bind(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) < 0 ? wsaLastError() : 0;
}

int DatagramSocket::setBroadcast(bool on) {
    const int value = on ? 1 : 0;
    return ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &value, sizeof value) < 0 ? wsaLastError()
                                                                                 : 0;
}

int DatagramSocket::setReceiveBuffer(int bytes) {
    return ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) < 0 ? wsaLastError() : 0;
}

int DatagramSocket::connect(std::uint32_t address, std::uint16_t port) {
    const sockaddr_in a = ipv4SocketAddress(address, port);
    return ::connect(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) < 0 ? wsaLastError() : 0;
}

int DatagramSocket::send(std::string_view datagram) {
    return ::send(fd_, datagram.data(), datagram.size(), MSG_NOSIGNAL) < 0 ? wsaLastError() : 0;
}

std::optional<std::uint32_t> DatagramSocket::localAddress() const {
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        return std::nullopt;
    }
    return ntohl(local.sin_addr.s_addr);
}

DatagramReceive DatagramSocket::receive(std::span<char> buffer) {
    // MSG_TRUNC makes recv return the datagram's full length, which tells a cut one apart.
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const ssize_t n = ::recvfrom(fd_, buffer.data(), buffer.size(), MSG_TRUNC,
                                 reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (n < 0) {
        return {0, wsaLastError()};
    }
    if (static_cast<std::size_t>(n) > buffer.size()) {
        return {0, kWsaEMsgSize};
    }
    return {static_cast<std::size_t>(n), 0, ntohl(from.sin_addr.s_addr)};
}

void DatagramSocket::watchReadable(std::function<void()> onReadable) {
    onReadable_ = std::move(onReadable);
    notifier_.reset();
    if (!onReadable_ || fd_ < 0) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        // A copy, since the handler may close this socket and with it onReadable_.
        const std::function<void()> handler = onReadable_;
        handler();
    });
}

void DatagramSocket::close() {
    // The notifier goes before the descriptor: a notifier on a closed (or reused) descriptor
    // would report someone else's socket.
    notifier_.reset();
    onReadable_ = nullptr;
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::uint32_t ipv4FromText(const std::string& text) {
    return ntohl(::inet_addr(text.c_str()));
}

std::optional<std::uint32_t> localAddressToward(std::uint32_t peer) {
    // Connecting a datagram socket only picks the route and with it the source address.
    DatagramSocket probe;
    constexpr std::uint16_t kDiscardPort = 9;
    if (probe.open() != 0 || probe.connect(peer, kDiscardPort) != 0) {
        return std::nullopt;
    }
    return probe.localAddress();
}

} // namespace platform
