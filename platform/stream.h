#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

class QSocketNotifier;

namespace platform {

// What a stream socket reports; the values are the Windows Sockets event bits, so that a mask
// of them reads as the programs have always written it.
enum class StreamEvent : unsigned {
    Read = 1,
    Write = 2,
    Accept = 8,
    Connect = 16,
    Close = 32,
};

constexpr unsigned operator|(StreamEvent a, StreamEvent b) {
    return static_cast<unsigned>(a) | static_cast<unsigned>(b);
}
constexpr unsigned operator|(unsigned a, StreamEvent b) {
    return a | static_cast<unsigned>(b);
}

// Bytes moved by one send or receive, or the Windows Sockets code of its failure.
struct StreamIo {
    std::size_t size = 0;
    int error = 0;
};

// Bytes that one receive into a file took from the socket, those of them that reached the file
// (fewer when writing failed; the rest are dropped), or the Windows Sockets code of its failure.
struct FileIo {
    std::size_t taken = 0;
    std::size_t written = 0;
    int error = 0;
};

struct AcceptedStream {
    int handle = -1;
    std::uint32_t address = 0; // host byte order
    std::uint16_t port = 0;
    int error = 0;
};

// A non-blocking IPv4 TCP socket. Operations return 0 or the Windows Sockets code of their
// failure (wsaerrors.h); a step that has to wait gives WSAEWOULDBLOCK.
//
// Events come through the Qt event loop of the thread that calls watch(), in the order a
// Windows Sockets program expects them:
//  - Connect once an outgoing connection is made or has failed (its error), then one Write;
//  - Accept while connections wait on a listening socket;
//  - Read while bytes wait; the next Read comes only after receive() was called, so a handler
//    that leaves the bytes where they are is not called again and again. A Read may find the
//    bytes taken already: its receive then gives WSAEWOULDBLOCK;
//  - Write once when connected, and again each time after a send gave WSAEWOULDBLOCK or
//    wantWrite() was called;
//  - Close once the peer has closed and every byte before that was read, with the error of a
//    connection that broke (for example WSAECONNRESET).
// A handler may close the socket, or destroy it, while it runs.
class StreamSocket {
public:
    using EventHandler = std::function<void(StreamEvent event, int error)>;

    StreamSocket();
    ~StreamSocket();
    StreamSocket(const StreamSocket&) = delete;
    StreamSocket& operator=(const StreamSocket&) = delete;

    int open();
    // Takes over a connected socket that accept() returned.
    void adopt(int handle);
    // A listening socket may bind its port again while old connections on it wait out their
    // time; another socket listening on the port still makes it fail.
    int bind(std::uint32_t address, std::uint16_t port); // host byte order
    int listen(int backlog);
    int connect(std::uint32_t address, std::uint16_t port); // host byte order
    AcceptedStream accept();
    StreamIo send(std::span<const char> bytes);
    // Up to count bytes of the file from the offset on, copied by the kernel without passing
    // through this process; a size of 0 without error means the file ends before the offset.
    StreamIo sendFile(int fileDescriptor, std::int64_t offset, std::size_t count);
    StreamIo receive(std::span<char> buffer);
    // Up to count bytes that wait, moved by the kernel into the file at the offset, through a
    // pipe of the socket's own, without passing through this process; what the kernel cannot
    // write there is written the usual way.
    FileIo receiveIntoFile(int fileDescriptor, std::int64_t offset, std::size_t count);
    // Another Write as soon as the socket can take more, for a sender that stopped before the
    // socket was full, to let the event loop have its turn.
    void wantWrite();
    // The bytes given to the socket that the peer has not acknowledged yet, sent or not.
    int unacknowledged(std::size_t& count) const;
    // Acknowledges the bytes received so far at once, rather than after the system's usual
    // delay.
    void acknowledgeNow();

    // Starts the reports of the events in the mask (StreamEvent bits); an empty handler stops
    // them.
    void watch(unsigned events, EventHandler handler);
    int close();
    bool isOpen() const { return fd_ >= 0; }
    int handle() const { return fd_; }

private:
    enum class State { Idle, Listening, Connecting, Connected, Ended };

    // The number of bytes that a receive would return now.
    int waiting(std::size_t& count) const;
    void updateNotifiers();
    // The outcome of a send or sendfile call that returned result.
    StreamIo sent(std::ptrdiff_t result);
    void onReadable();
    void onWritable();
    // Whether the socket is still there after the handler ran.
    bool deliver(StreamEvent event, int error);

    int fd_ = -1;
    State state_ = State::Idle;
    unsigned events_ = 0;
    EventHandler handler_;
    bool readWanted_ = false;
    bool writeWanted_ = false;
    bool lastReceiveFilled_ = false;
    // Made by the first receive into a file: its read end, then its write end.
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    // Cleared by the destructor, so that a report loop notices a handler that destroyed the
    // socket.
    std::shared_ptr<bool> alive_;
};

// The IPv4 address of a dotted text, in host byte order, by the rules of inet_addr; nothing
// for a text that is no address and for 255.255.255.255, which inet_addr cannot tell apart.
std::optional<std::uint32_t> ipv4Address(const std::string& text);

// The dotted text of an IPv4 address in host byte order.
std::string dottedAddress(std::uint32_t address);

// Every socket object holds a start-up for as long as it lives, as the Windows Sockets rules
// ask; the count of live start-ups shows that every object was destroyed in the end, the ones
// destroyed later by their owners included.
class SocketStartup {
public:
    SocketStartup();
    ~SocketStartup();
    SocketStartup(const SocketStartup&) = delete;
    SocketStartup& operator=(const SocketStartup&) = delete;

    static int live();
};

} // namespace platform
