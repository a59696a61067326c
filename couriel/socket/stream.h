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
    // A stream that is a file the kernel can send from itself: the file's descriptor, which
    // the socket sends from, up to size(), without reading. -1 for other streams.
    virtual int descriptor() const { return -1; }
};

} // namespace couriel
