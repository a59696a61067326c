#include "platform/stream.h"

#include "platform/ipv4address.h"
#include "platform/wsaerrors.h"

#include <QSocketNotifier>
#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// Reads reported in one turn of the event loop before it gets its turn again; a fast sender
// would otherwise cost one loop turn per chunk, and an endless one would starve the window.
constexpr int kReadsPerTurn = 16;

std::atomic<int> liveStartups{0};

// The byte count that a queue-size request (FIONREAD, SIOCOUTQ) gives for the socket: 0 and the
// error when it fails.
int queuedBytes(int fd, unsigned long request, std::size_t& count) {
    int n = 0;
    if (::ioctl(fd, request, &n) < 0) {
        count = 0;
        return wsaLastError();
    }
    count = static_cast<std::size_t>(n);
    return 0;
}

// The pipe of a receive into a file. The bytes of a socket fill a pipe's slots only in part, so
// it is kept larger than a receive asks for: a receive that could take all it asked for
// then does, and the next one follows in the same turn of the event loop.
constexpr int kPipeSize = 1 << 20;

} // namespace

StreamSocket::StreamSocket() : alive_(std::make_shared<bool>(true)) {}

StreamSocket::~StreamSocket() {
    *alive_ = false;
    close();
    for (const int end : pipe_) {
        if (end >= 0) {
            ::close(end);
        }
    }
}

int StreamSocket::open() {
    close();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    return fd_ < 0 ? wsaLastError() : 0;
}

void StreamSocket::adopt(int handle) {
    close();
    fd_ = handle;
    state_ = State::Connected;
    readWanted_ = true;
    writeWanted_ = true;
    updateNotifiers();
}

int StreamSocket::bind(std::uint32_t address, std::uint16_t port) {
    const int on = 1;
    if (::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) < 0) {
        return wsaLastError();
    }
    const sockaddr_in a = ipv4SocketAddress(address, port);
    return ::bind(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) < 0 ? wsaLastError() : 0;
}

int StreamSocket::listen(int backlog) {
    if (::listen(fd_, backlog) < 0) {
        return wsaLastError();
    }
    state_ = State::Listening;
    readWanted_ = true;
    updateNotifiers();
    return 0;
}

int StreamSocket::connect(std::uint32_t address, std::uint16_t port) {
    const sockaddr_in a = ipv4SocketAddress(address, port);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) < 0 &&
        errno != EINPROGRESS) {
        return wsaLastError();
    }
    // Even a connection made at once is reported by the event, as the caller waits for it.
    state_ = State::Connecting;
    updateNotifiers();
    return kWsaEWouldBlock;
}

AcceptedStream StreamSocket::accept() {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    const int handle =
        ::accept4(fd_, reinterpret_cast<sockaddr*>(&a), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    const int error = handle < 0 ? wsaLastError() : 0;
    // After a hard failure (out of descriptors) the waiting connection stays waiting, and the
    // socket stays quiet rather than reporting it again and again.
    if (error == 0 || error == kWsaEWouldBlock) {
        readWanted_ = true;
        updateNotifiers();
    }
    if (handle < 0) {
        return {-1, 0, 0, error};
    }
    return {handle, ntohl(a.sin_addr.s_addr), ntohs(a.sin_port), 0};
}

StreamIo StreamSocket::send(std::span<const char> bytes) {
    return sent(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL));
}

StreamIo StreamSocket::sendFile(int fileDescriptor, std::int64_t offset, std::size_t count) {
    off_t from = offset;
    return sent(::sendfile(fd_, fileDescriptor, &from, count));
}

StreamIo StreamSocket::sent(std::ptrdiff_t result) {
    if (result < 0) {
        const int error = wsaLastError();
        // A full socket: the next Write event says when it takes more.
        if (error == kWsaEWouldBlock) {
            writeWanted_ = true;
            updateNotifiers();
        }
        return {0, error};
    }
    return {static_cast<std::size_t>(result), 0};
}

void StreamSocket::wantWrite() {
    writeWanted_ = true;
    updateNotifiers();
}

int StreamSocket::unacknowledged(std::size_t& count) const {
    return queuedBytes(fd_, SIOCOUTQ, count);
}

void StreamSocket::acknowledgeNow() {
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

StreamIo StreamSocket::receive(std::span<char> buffer) {
    const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
    readWanted_ = true;
    lastReceiveFilled_ = n > 0 && static_cast<std::size_t>(n) == buffer.size();
    updateNotifiers();
    if (n < 0) {
        return {0, wsaLastError()};
    }
    return {static_cast<std::size_t>(n), 0};
}

FileIo StreamSocket::receiveIntoFile(int fileDescriptor, std::int64_t offset, std::size_t count) {
    if (pipe_[0] < 0) {
        if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
            pipe_[0] = pipe_[1] = -1;
            return {0, 0, wsaLastError()};
        }
        // A smaller pipe only means more calls.
        ::fcntl(pipe_[1], F_SETPIPE_SZ, kPipeSize);
    }
    const ssize_t n =
        ::splice(fd_, nullptr, pipe_[1], nullptr, count, SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
    readWanted_ = true;
    lastReceiveFilled_ = n > 0 && static_cast<std::size_t>(n) == count;
    updateNotifiers();
    if (n < 0) {
        return {0, 0, wsaLastError()};
    }
    FileIo io{static_cast<std::size_t>(n), 0, 0};
    loff_t at = offset;
    while (io.written < io.taken) {
        const ssize_t w =
            ::splice(pipe_[0], nullptr, fileDescriptor, &at, io.taken - io.written, SPLICE_F_MOVE);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            break;
        }
        io.written += static_cast<std::size_t>(w);
    }
    // What the file did not take by splicing (a file system that cannot, or a full one) leaves
    // the pipe the usual way, written while writing works and dropped after, so that the pipe
    // is empty for the next receive.
    std::array<char, 64 << 10> block;
    bool writing = true;
    for (std::size_t left = io.taken - io.written; left > 0;) {
        const ssize_t r = ::read(pipe_[0], block.data(), std::min(left, block.size()));
        if (r <= 0) {
            break;
        }
        left -= static_cast<std::size_t>(r);
        for (ssize_t done = 0; writing && done < r;) {
            const ssize_t w =
                ::pwrite(fileDescriptor, block.data() + done, static_cast<std::size_t>(r - done),
                         offset + static_cast<std::int64_t>(io.written));
            if (w < 0 && errno == EINTR) {
                continue;
            }
            writing = w > 0;
            if (writing) {
                done += w;
                io.written += static_cast<std::size_t>(w);
            }
        }
    }
    return io;
}

int StreamSocket::waiting(std::size_t& count) const {
    return queuedBytes(fd_, FIONREAD, count);
}

void StreamSocket::watch(unsigned events, EventHandler handler) {
    events_ = handler ? events : 0;
    handler_ = std::move(handler);
    readNotifier_.reset();
    writeNotifier_.reset();
    if (fd_ < 0 || events_ == 0) {
        return;
    }
    readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    readNotifier_->setEnabled(false);
    QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, [this] { onReadable(); });
    writeNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
    writeNotifier_->setEnabled(false);
    QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, [this] { onWritable(); });
    updateNotifiers();
}

int StreamSocket::close() {
    // The notifiers go before the descriptor: one on a closed (or reused) descriptor would
    // report someone else's socket.
    readNotifier_.reset();
    writeNotifier_.reset();
    state_ = State::Idle;
    if (fd_ < 0) {
        return 0;
    }
    const int result = ::close(fd_);
    fd_ = -1;
    return result < 0 ? wsaLastError() : 0;
}

void StreamSocket::updateNotifiers() {
    if (readNotifier_) {
        const bool read = (state_ == State::Listening || state_ == State::Connected) && readWanted_;
        if (readNotifier_->isEnabled() != read) {
            readNotifier_->setEnabled(read);
        }
    }
    if (writeNotifier_) {
        const bool write =
            state_ == State::Connecting || (state_ == State::Connected && writeWanted_);
        if (writeNotifier_->isEnabled() != write) {
            writeNotifier_->setEnabled(write);
        }
    }
}

bool StreamSocket::deliver(StreamEvent event, int error) {
    const std::shared_ptr<bool> alive = alive_;
    if ((events_ & static_cast<unsigned>(event)) != 0) {
        // A copy, since the handler may replace the handler while it runs.
        const EventHandler handler = handler_;
        handler(event, error);
    }
    return *alive;
}

void StreamSocket::onReadable() {
    if (state_ == State::Listening) {
        readWanted_ = false; // until accept()
        if (deliver(StreamEvent::Accept, 0)) {
            updateNotifiers();
        }
        return;
    }
    if (state_ != State::Connected) {
        return;
    }
    std::size_t count = 0;
    if (waiting(count) != 0 || count == 0) {
        // Readable with nothing to read: the peer has closed, or the connection broke.
        char byte = 0;
        const ssize_t n = ::recv(fd_, &byte, 1, MSG_PEEK);
        if (n < 0 && errno == EAGAIN) {
            return;
        }
        const int error = n < 0 ? wsaLastError() : 0;
        state_ = State::Ended;
        updateNotifiers();
        deliver(StreamEvent::Close, error);
        return;
    }
    // While each receive fills its buffer, more bytes are likely to wait, and asking the
    // socket first would cost as much as the receive.
    for (int turn = 0; turn < kReadsPerTurn; ++turn) {
        readWanted_ = false; // until receive()
        lastReceiveFilled_ = false;
        if (!deliver(StreamEvent::Read, 0)) {
            return;
        }
        if (!readWanted_ || !lastReceiveFilled_ || state_ != State::Connected) {
            break;
        }
    }
    updateNotifiers();
}

void StreamSocket::onWritable() {
    if (state_ == State::Connecting) {
        int socketError = 0;
        socklen_t length = sizeof socketError;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &socketError, &length) < 0) {
            socketError = errno;
        }
        // The Write that follows a made connection comes from the write notifier, which stays
        // enabled.
        state_ = socketError == 0 ? State::Connected : State::Ended;
        readWanted_ = true;
        writeWanted_ = true;
        updateNotifiers();
        deliver(StreamEvent::Connect, wsaCodeFromErrno(socketError));
        return;
    }
    if (state_ != State::Connected) {
        return;
    }
    writeWanted_ = false; // until a send would block
    if (deliver(StreamEvent::Write, 0)) {
        updateNotifiers();
    }
}

std::optional<std::uint32_t> ipv4Address(const std::string& text) {
    const in_addr_t address = ::inet_addr(text.c_str());
    if (address == INADDR_NONE) {
        return std::nullopt;
    }
    return ntohl(address);
}

std::string dottedAddress(std::uint32_t address) {
    in_addr a{};
    a.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

SocketStartup::SocketStartup() {
    ++liveStartups;
}

SocketStartup::~SocketStartup() {
    --liveStartups;
}

int SocketStartup::live() {
    return liveStartups.load();
}

} // namespace platform
