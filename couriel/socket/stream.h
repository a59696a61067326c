#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace couriel {

// A stream of bytes that a socket sends from or receives into: a file, or memory in tests.
class Stream {
public:
    virtual ~Stream() = default;
    virtual std::int64_t position() const = 0;
    virtual void setPosition(std::int64_t position) = 0;
    virtual std::int64_t size() const = 0;
    // Up to buffer.size() bytes from the position on; 0 at the end.
    virtual std::size_t read(std::span<char> buffer) = 0;
    // The number of bytes written at the position; fewer than given when writing failed.
    virtual std::size_t write(std::span<const char> bytes) = 0;
    // A stream that is a file the kernel can move bytes out of and into by itself: the file's
    // descriptor; -1 for other streams. A socket sends from it up to size() without reading
    // it, and receives into it at position() without writing it, telling it by received().
    virtual int descriptor() const { return -1; }
    // Bytes that the kernel took from the socket for the file at the position, of which
    // written reached the file (fewer when writing failed: the rest were dropped).
    virtual void received([[maybe_unused]] std::size_t taken, std::size_t written) {
        setPosition(position() + static_cast<std::int64_t>(written));
    }
};

} // namespace couriel
