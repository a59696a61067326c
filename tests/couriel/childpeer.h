#pragma once

#include "tests/couriel/rawpeer.h"

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace couriel_test {

// How the other side goes away: killed with bytes it never read or with SO_LINGER at 0 (the
// kernel sends a reset), or after closing its own sending direction (the kernel sends a FIN).
enum class Death { Reset, OrderlyClose };

// Blocking POSIX calls for the child process, which allocate nothing: after fork the heap's
// lock may be held for ever by one of the parent's threads (Qt's), which were not copied.
inline bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads and drops at least count bytes.
inline bool skipAtLeast(int fd, std::size_t count) {
    char buffer[65536];
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

// A peer that is a real second process: it plays its part of the wire with plain blocking
// calls, tells the parent through a pipe when it has done so, and then waits to be killed with
// SIGKILL, as a program that crashes or is ended by the user would be.
class ChildPeer {
public:
    ChildPeer() = default;
    ChildPeer(const ChildPeer&) = delete;
    ChildPeer& operator=(const ChildPeer&) = delete;
    ~ChildPeer() {
        kill();
        if (signal_ >= 0) {
            ::close(signal_);
        }
    }

    // Runs the part in a child; the part returns whether it went as planned.
    void start(const std::function<bool()>& part) {
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        pid_ = ::fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            ::close(fds[0]);
            const char done = part() ? 'y' : 'n';
            (void)::write(fds[1], &done, 1);
            for (;;) {
                ::pause();
            }
        }
        ::close(fds[1]);
        signal_ = fds[0];
        ::fcntl(signal_, F_SETFL, O_NONBLOCK);
    }
    // Whether the child has reported, and what.
    std::optional<bool> reported() {
        char done = 0;
        if (!report_ && ::read(signal_, &done, 1) == 1) {
            report_ = done == 'y';
        }
        return report_;
    }
    void kill() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    int signal_ = -1;
    std::optional<bool> report_;
};

// Readies the socket for the way its process is to go away when it is killed.
inline void prepareDeath(int fd, Death death) {
    if (death == Death::Reset) {
        const linger abort{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    } else {
        ::shutdown(fd, SHUT_WR);
    }
}

// A sending side's part: connects to the port, announces the header, waits for the go-ahead
// and sends the first count bytes of the data, then readies its death.
inline std::function<bool()> sendPartOfAFile(std::uint16_t port, std::string header,
                                             std::string data, std::size_t count, Death death) {
    return [=] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in a = loopback(port);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
            return false;
        }
        char answer[9] = {};
        if (!writeAll(fd, header.data(), header.size()) ||
            ::recv(fd, answer, sizeof answer, MSG_WAITALL) != sizeof answer ||
            std::string_view(answer, sizeof answer) != "UPLOADING" ||
            !writeAll(fd, data.data(), count)) {
            return false;
        }
        prepareDeath(fd, death);
        return true;
    };
}

// A receiving side's part: takes one connection on the listening socket, reads a header,
// answers the go-ahead and reads at least count bytes of data; then readies its death and
// reads no more.
inline std::function<bool()> receivePartOfAFile(int listener, std::size_t count, Death death) {
    return [=] {
        const int fd = ::accept(listener, nullptr, nullptr);
        if (fd < 0) {
            return false;
        }
        // No data comes before the go-ahead, so the header is all there is to read now; what
        // the tag leaves of it is counted with the data.
        char tag[5] = {};
        if (::recv(fd, tag, sizeof tag, MSG_WAITALL) != sizeof tag ||
            std::string_view(tag, sizeof tag) != "FILE\r" || !writeAll(fd, "UPLOADING", 9) ||
            !skipAtLeast(fd, count)) {
            return false;
        }
        prepareDeath(fd, death);
        return true;
    };
}

// A blocking listening socket on a free loopback port.
inline int listeningSocket() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in any = loopback(0);
    ::bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof any);
    ::listen(fd, 1);
    return fd;
}

} // namespace couriel_test
