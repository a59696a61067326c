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
};

} // namespace couriel
