#pragma once

#include "couriel/transfer/pauses.h"
#include "couriel/transfer/streamreader.h"
#include "couriel/transfer/transferview.h"
#include "platform/hostinfo.h"
#include "tests/fakes/freeport.h"
#include "tests/fakes/qtapplication.h"
#include "tests/fakes/tempfolder.h"

#include <QTimer>
#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>
#include <variant>
#include <vector>

// The other ends of Couriel's connections, and what its transfers see of the world.
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

// For what must not happen: runs the event loop for the span, giving it the time to happen.
inline void runFor(std::chrono::milliseconds span) {
    waitUntil([] { return false; }, span);
}

// Bytes that show where a piece went missing or came twice: each position's own pattern.
inline std::string patternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('0' + (i * 7 + i / 4093) % 10);
    }
    return bytes;
}

// How the other side goes away: with a reset (SO_LINGER at 0, as the kernel does for a program
// killed with bytes it never read), or after closing its own sending direction (a FIN).
enum class Death { Reset, OrderlyClose };

// The other end of a connection as plain POSIX calls, so that a test decides exactly which
// bytes go in which write, and when the bytes it is sent are read.
class RawPeer {
public:
    ~RawPeer() {
        for (const int fd : {fd_, listenFd_}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    // With a receive buffer that reading does not grow, whatever the system's limits.
    std::uint16_t listen() {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        const int buffer = 256 << 10;
        ::setsockopt(listenFd_, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
        const sockaddr_in a = loopback(0);
        ::bind(listenFd_, reinterpret_cast<const sockaddr*>(&a), sizeof a);
        ::listen(listenFd_, 4);
        return portOf(listenFd_);
    }
    bool accept() {
        fd_ = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK);
        return fd_ >= 0;
    }
    bool connect(std::uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in a = loopback(port);
        const bool made = ::connect(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
        ::fcntl(fd_, F_SETFL, O_NONBLOCK);
        return made;
    }

    // Runs the event loop while the socket takes no more, so that the other end reads.
    void write(std::string_view bytes) {
        waitUntil([&] {
            const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            bytes.remove_prefix(n > 0 ? static_cast<std::size_t>(n) : 0);
            return bytes.empty();
        });
    }
    void drain() {
        char buffer[65536];
        ssize_t n = 0;
        while ((n = ::recv(fd_, buffer, sizeof buffer, 0)) > 0) {
            received.append(buffer, static_cast<std::size_t>(n));
        }
    }
    // A reset closes the connection; an orderly close only ends this side's sending.
    void die(Death death) {
        if (death == Death::OrderlyClose) {
            ::shutdown(fd_, SHUT_WR);
            return;
        }
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

// Plays the receiving side from raw bytes: answers each header and notes the end mark.
struct RawReceiver {
    RawPeer peer;
    couriel::StreamReader reader;
    bool accepted = false;
    bool ended = false;

    void poll() {
        if (!accepted && !(accepted = peer.accept())) {
            return;
        }
        const std::size_t fed = peer.received.size();
        peer.drain();
        reader.append(std::string_view(peer.received).substr(fed));
        while (const auto item = reader.next()) {
            if (std::holds_alternative<couriel::StreamReader::Header>(*item)) {
                peer.write(couriel::kGoAhead);
            }
            ended = ended || std::holds_alternative<couriel::StreamReader::End>(*item);
        }
    }
};

// Records what a transfer shows; answers the free-space question as told.
class RecordingView : public couriel::TransferView {
public:
    void showStatus(const std::string& text) override { statuses.push_back(text); }
    void showProgress(int percent) override { progress.push_back(percent); }
    std::vector<std::string> takeSelection() override { return selection; }
    void askToContinue(const std::string& question, std::function<void(bool)> answer) override {
        questions.push_back(question);
        answer(answerYes);
    }
    void transferOver() override { ++overs; }
    void closeProgram() override { ++closes; }

    std::vector<std::string> selection;
    bool answerYes = true;
    std::vector<std::string> statuses;
    std::vector<int> progress;
    std::vector<std::string> questions;
    int overs = 0;
    int closes = 0;
};

// Pauses that note the delay asked for and wait only a moment, to keep the tests short.
class QuickPauses : public couriel::Pauses {
public:
    explicit QuickPauses(std::vector<int>& delays) : delays_(delays) {}
    void after(std::chrono::milliseconds delay, std::function<void()> action) override {
        delays_.push_back(static_cast<int>(delay.count()));
        QTimer::singleShot(1, &context_, std::move(action));
    }

private:
    std::vector<int>& delays_;
    QObject context_;
};

// Every regular file below the folder with its content, by path below the folder.
inline std::map<std::string, std::string> filesBelow(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(folder).string()] =
                TempFolder::read(entry.path().string());
        }
    }
    return files;
}

class HostWithFreeSpace : public platform::HostInfo {
public:
    std::optional<std::uint64_t> free = std::uint64_t{1} << 40;
    std::string computerName() const override { return "PC"; }
    std::string userName() const override { return "user"; }
    std::vector<std::string> addresses() const override { return {}; }
    std::optional<std::string> addressToward(std::uint32_t) const override { return {}; }
    std::optional<std::uint64_t> freeBytes(const std::string&) const override { return free; }
};

} // namespace couriel_test
