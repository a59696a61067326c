#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace couriel {

// A file that a socket sends: the kernel copies its bytes from the position up to its size
// without passing them through this process, and the socket moves the position on.
class OutgoingFile {
public:
    virtual ~OutgoingFile() = default;
    virtual int descriptor() const = 0;
    virtual std::int64_t position() const = 0;
    virtual void setPosition(std::int64_t position) = 0;
    virtual std::int64_t size() const = 0;
};

// Where a socket puts the bytes it receives. One with a file descriptor has the kernel move
// them into the file at the position, and is told so by received(); the others are given the
// bytes by write().
class IncomingStream {
public:
    virtual ~IncomingStream() = default;
    // The number of bytes taken so far.
    virtual std::int64_t position() const = 0;
    virtual void write(std::span<const char> bytes) = 0;
    // The file the kernel moves the bytes into; -1 when there is none.
    virtual int descriptor() const = 0;
    // Bytes that the kernel took from the socket for the file at the position, of which
    // written reached the file (fewer when writing failed: the rest were dropped).
    virtual void received(std::size_t taken, std::size_t written) = 0;
};

} // namespace couriel
