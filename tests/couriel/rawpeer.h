#pragma once

#include "tests/fakes/freeport.h"
#include "tests/fakes/qtapplication.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <string>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace couriel_test {

inline sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    return a;
}

inline std::uint16_t portOf(int fd) {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    return ntohs(a.sin_port);
}

using fakes::waitUntil;

inline std::uint16_t freeTcpPort() {
    return fakes::freePort(SOCK_STREAM);
}

// For what must not happen: runs the event loop for the span, giving it the time to happen.
inline void runFor(std::chrono::milliseconds span) {
    waitUntil([] { return false; }, span);
}

// The other end of a connection as plain POSIX calls, so that a test decides exactly which
// bytes go in which write, and when the bytes it is sent are read.
class RawPeer {
public:
    RawPeer() = default;
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;
    ~RawPeer() {
        for (const int fd : {fd_, listenFd_}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    // Listens on a free loopback port and gives it.
    std::uint16_t listen() {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        const sockaddr_in a = loopback(0);
        ::bind(listenFd_, reinterpret_cast<const sockaddr*>(&a), sizeof a);
        ::listen(listenFd_, 4);
        return portOf(listenFd_);
    }
    // Whether a connection was waiting and is taken now.
    bool accept() {
        fd_ = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK);
        return fd_ >= 0;
    }
    bool connect(std::uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in a = loopback(port);
        const bool made = ::connect(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
        const int nonBlocking = 1;
        ::ioctl(fd_, FIONBIO, &nonBlocking);
        return made;
    }
    std::uint16_t localPort() const { return portOf(fd_); }

    // Small amounts only: nobody reads while the test writes.
    void write(std::string_view bytes) { ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    // Appends what waits now to received.
    void drain() {
        char buffer[65536];
        ssize_t n = 0;
        while ((n = ::recv(fd_, buffer, sizeof buffer, 0)) > 0) {
            received.append(buffer, static_cast<std::size_t>(n));
        }
    }
    // Ends the connection with a reset instead of an orderly close.
    void reset() {
        const linger abort{1, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(fd_);
        fd_ = -1;
    }

    std::string received;

private:
    int listenFd_ = -1;
    int fd_ = -1;
};

} // namespace couriel_test
