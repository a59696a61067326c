#include "platform/messagechannel.h"

#include "platform/messagefolder.h"

#include <QSocketNotifier>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

// Each message travels on a connection of its own to the receiver's socket, as one record;
// SOCK_SEQPACKET keeps records whole, so none is ever read in pieces:
//
//   bytes 0-3    magic 0x4E424D43
//   bytes 4-7    kind: 1 the message, 2 the receiver's acknowledgement once its handler ran
//   bytes 8-11   code
//   bytes 12-15  value
//
// each a 32-bit integer in the machine's byte order, as both ends run on one machine. The
// acknowledgement repeats the code and the value. Any other record ends the connection.
constexpr std::uint32_t kMagic = 0x4E424D43;
constexpr std::uint32_t kRequest = 1;
constexpr std::uint32_t kReply = 2;
constexpr std::size_t kRecordSize = 16;

struct Record {
    std::uint32_t kind;
    std::int32_t code;
    std::int32_t value;
};

constexpr int kLastNumber = 65535;
constexpr int kBacklog = 16;
// Connections accepted before their message arrived; beyond this the oldest is dropped, so a
// peer that connects and stays silent costs a bounded number of descriptors.
constexpr std::size_t kMaxPending = 16;
// Handlers running inside one another on one thread. Two programs whose handlers answer every
// message with another would otherwise recurse until the stack runs out; past this depth a
// waiting send stops serving, and the innermost sends time out instead.
constexpr int kMaxNesting = 16;
// How long another program may hold the folder's lock before creation gives up.
constexpr auto kLockPatience = std::chrono::seconds(2);
// How often a send tries again to connect while the receiver's queue of connections is full.
constexpr auto kConnectRetry = std::chrono::milliseconds(10);

// A thread blocked in send serves the messages for every endpoint it owns, as a Windows thread
// blocked in SendMessage handles the messages sent to any of its windows.
thread_local std::vector<MessageEndpoint*> threadEndpoints;
thread_local int nesting = 0;

struct NestingGuard {
    NestingGuard() { ++nesting; }
    ~NestingGuard() { --nesting; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
};

std::array<char, kRecordSize> encode(const Record& record) {
    std::array<char, kRecordSize> bytes{};
    std::memcpy(bytes.data(), &kMagic, 4);
    std::memcpy(bytes.data() + 4, &record.kind, 4);
    std::memcpy(bytes.data() + 8, &record.code, 4);
    std::memcpy(bytes.data() + 12, &record.value, 4);
    return bytes;
}

// Reads one record from a connection that has something to read; a record of another size
// (a longer one arrives cut to the buffer) or without the magic gives nothing.
std::optional<Record> receiveRecord(int fd) {
    std::array<char, kRecordSize + 1> bytes{};
    const ssize_t size = ::recv(fd, bytes.data(), bytes.size(), MSG_DONTWAIT);
    if (size != static_cast<ssize_t>(kRecordSize)) {
        return std::nullopt;
    }
    std::uint32_t magic = 0;
    Record record{};
    std::memcpy(&magic, bytes.data(), 4);
    std::memcpy(&record.kind, bytes.data() + 4, 4);
    std::memcpy(&record.code, bytes.data() + 8, 4);
    std::memcpy(&record.value, bytes.data() + 12, 4);
    if (magic != kMagic) {
        return std::nullopt;
    }
    return record;
}

bool sendRecord(int fd, const Record& record) {
    const std::array<char, kRecordSize> bytes = encode(record);
    return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
           static_cast<ssize_t>(bytes.size());
}

short pollNow(int fd) {
    pollfd watched{fd, POLLIN | POLLRDHUP, 0};
    return ::poll(&watched, 1, 0) == 1 ? watched.revents : 0;
}

std::optional<sockaddr_un> socketAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

int newSocket() {
    return ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

int connectTo(int fd, const sockaddr_un& address) {
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

int bindTo(int fd, const sockaddr_un& address) {
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

// Nobody listens on the socket of a program that died, so it refuses connections; any file
// that is no socket refuses them too.
bool isStale(const sockaddr_un& address) {
    const int probe = newSocket();
    if (probe < 0) {
        return false;
    }
    const bool refused = connectTo(probe, address) != 0 && errno == ECONNREFUSED;
    ::close(probe);
    return refused;
}

// Held while a number is chosen. Taking over a dead program's socket means removing it: without
// the lock two programs starting together could both decide to, the second removing the first
// one's fresh socket, and a socket bound but not yet listening would look dead as well. The lock
// is on the folder itself, so there is no lock file to leave behind.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) ||
                std::chrono::steady_clock::now() >= deadline) {
                ::close(fd_);
                fd_ = -1;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return fd_ >= 0; }

private:
    int fd_;
};

enum class Claim { Taken, Unusable };

// The listening socket for a number, or -1 with the reason: the number is taken, or the folder
// refuses sockets altogether.
int claim(const std::string& path, Claim& failure) {
    const std::optional<sockaddr_un> address = socketAddress(path);
    const int fd = newSocket();
    if (!address || fd < 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        failure = Claim::Unusable;
        return -1;
    }
    if (bindTo(fd, *address) != 0) {
        const bool inUse = errno == EADDRINUSE;
        if (!inUse || !isStale(*address) || ::unlink(path.c_str()) != 0 ||
            bindTo(fd, *address) != 0) {
            ::close(fd);
            failure = inUse ? Claim::Taken : Claim::Unusable;
            return -1;
        }
    }
    if (::listen(fd, kBacklog) != 0) {
        ::unlink(path.c_str());
        ::close(fd);
        failure = Claim::Unusable;
        return -1;
    }
    return fd;
}

} // namespace

std::unique_ptr<MessageEndpoint> MessageEndpoint::create(Handler handler,
                                                         const std::string& folder) {
    if (!socketAddress(messageSocketPath(folder, kLastNumber))) {
        return nullptr;
    }
    const FolderLock lock(folder);
    if (!lock.held()) {
        return nullptr;
    }
    for (int number = 1; number <= kLastNumber; ++number) {
        Claim failure = Claim::Taken;
        const int fd = claim(messageSocketPath(folder, number), failure);
        if (fd >= 0) {
            return std::unique_ptr<MessageEndpoint>(
                new MessageEndpoint(std::move(handler), folder, number, fd));
        }
        if (failure == Claim::Unusable) {
            return nullptr;
        }
    }
    return nullptr;
}

MessageEndpoint::MessageEndpoint(Handler handler, std::string folder, int number, int listenFd)
    : handler_(std::move(handler)), folder_(std::move(folder)),
      path_(messageSocketPath(folder_, number)), number_(number), listenFd_(listenFd),
      listenNotifier_(std::make_unique<QSocketNotifier>(listenFd, QSocketNotifier::Read)) {
    // A burst of connections is taken a slice at a time; the notifier fires again for the rest.
    QObject::connect(listenNotifier_.get(), &QSocketNotifier::activated, [this] {
        for (int i = 0; i < kBacklog && acceptOne(); ++i) {
        }
    });
    threadEndpoints.push_back(this);
}

MessageEndpoint::~MessageEndpoint() {
    std::erase(threadEndpoints, this);
    listenNotifier_.reset();
    for (Pending& pending : pending_) {
        pending.notifier.reset();
        ::close(pending.fd);
    }
    // The name goes before the socket closes: for a moment in between the socket would look like
    // a dead program's, and a program starting then would take the number over only for its
    // fresh socket to be removed here.
    ::unlink(path_.c_str());
    ::close(listenFd_);
}

bool MessageEndpoint::send(int target, int code, int value) {
    const int number = target & 0xFFFF;
    if (number == 0) {
        return false;
    }
    const std::optional<sockaddr_un> address = socketAddress(messageSocketPath(folder_, number));
    const int fd = address ? newSocket() : -1;
    if (fd < 0) {
        return false;
    }
    const Clock::time_point deadline = Clock::now() + replyTimeout_;
    bool connected = connectTo(fd, *address) == 0;
    // A full queue of connections: the receiver may be this very thread, so keep serving.
    while (!connected && errno == EAGAIN && Clock::now() < deadline) {
        waitRound(-1, std::min(deadline, Clock::now() + kConnectRetry));
        connected = connectTo(fd, *address) == 0;
    }
    bool delivered = false;
    if (connected && sendRecord(fd, {kRequest, code, value})) {
        for (;;) {
            // Taken before the round, so that a wait that ran out inside a nested handler still
            // gets one look at the reply.
            const bool expired = Clock::now() >= deadline;
            if (waitRound(fd, deadline)) {
                const std::optional<Record> reply = receiveRecord(fd);
                delivered =
                    reply && reply->kind == kReply && reply->code == code && reply->value == value;
                break;
            }
            if (expired) {
                break;
            }
        }
    }
    ::close(fd);
    return delivered;
}

bool MessageEndpoint::waitRound(int replyFd, Clock::time_point until) {
    std::vector<pollfd> watched;
    if (replyFd >= 0) {
        watched.push_back({replyFd, POLLIN, 0});
    }
    if (nesting < kMaxNesting) {
        for (const MessageEndpoint* endpoint : threadEndpoints) {
            endpoint->addWatched(watched);
        }
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    const int timeout = static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
    if (::poll(watched.data(), watched.size(), timeout) <= 0) {
        return false;
    }
    if (replyFd >= 0 && watched.front().revents != 0) {
        return true;
    }
    // One message at most: its handler may create or destroy endpoints, so the list is not
    // walked on afterwards.
    for (const pollfd& ready : watched) {
        if (ready.revents == 0) {
            continue;
        }
        for (MessageEndpoint* endpoint : threadEndpoints) {
            if (endpoint->serveReady(ready.fd)) {
                return false;
            }
        }
    }
    return false;
}

void MessageEndpoint::addWatched(std::vector<pollfd>& watched) const {
    watched.push_back({listenFd_, POLLIN, 0});
    for (const Pending& pending : pending_) {
        watched.push_back({pending.fd, POLLIN, 0});
    }
}

bool MessageEndpoint::serveReady(int fd) {
    if (fd == listenFd_) {
        acceptOne();
        return true;
    }
    if (std::any_of(pending_.begin(), pending_.end(),
                    [fd](const Pending& pending) { return pending.fd == fd; })) {
        servePending(fd);
        return true;
    }
    return false;
}

bool MessageEndpoint::acceptOne() {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    if (pollNow(fd) != 0) {
        serveConnection(fd);
    } else {
        keepPending(fd);
    }
    return true;
}

void MessageEndpoint::keepPending(int fd) {
    if (pending_.size() >= kMaxPending) {
        pending_.front().notifier.reset();
        ::close(pending_.front().fd);
        pending_.erase(pending_.begin());
    }
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [this, fd] { servePending(fd); });
    pending_.push_back({fd, std::move(notifier)});
}

void MessageEndpoint::servePending(int fd) {
    const auto found = std::find_if(pending_.begin(), pending_.end(),
                                    [fd](const Pending& pending) { return pending.fd == fd; });
    if (found == pending_.end() || pollNow(fd) == 0) {
        return;
    }
    // Out of the list before the handler runs, which may wait and serve again. Qt allows a
    // notifier to be deleted from its own signal.
    pending_.erase(found);
    serveConnection(fd);
}

void MessageEndpoint::serveConnection(int fd) {
    const std::optional<Record> request = receiveRecord(fd);
    // A sender that hung up has given up waiting and reported the message undelivered.
    const bool abandoned = (pollNow(fd) & (POLLHUP | POLLRDHUP | POLLERR)) != 0;
    if (request && request->kind == kRequest && !abandoned) {
        if (handler_) {
            const NestingGuard guard;
            handler_(request->code, request->value);
        }
        sendRecord(fd, {kReply, request->code, request->value});
    }
    ::close(fd);
}

} // namespace platform
