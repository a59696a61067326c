#pragma once

#include "couriel/socket/stream.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace couriel_test {

// A stream over a string that tells when it is released.
class MemoryStream : public couriel::Stream {
public:
    explicit MemoryStream(std::string bytes = {}, bool* released = nullptr)
        : bytes(std::move(bytes)), released_(released) {}
    ~MemoryStream() override {
        if (released_ != nullptr) {
            *released_ = true;
        }
    }

    std::int64_t position() const override { return position_; }
    void setPosition(std::int64_t position) override { position_ = position; }
    std::int64_t size() const override { return static_cast<std::int64_t>(bytes.size()); }
    std::size_t read(std::span<char> buffer) override {
        const std::size_t count =
            std::min(buffer.size(), bytes.size() - static_cast<std::size_t>(position_));
        std::memcpy(buffer.data(), bytes.data() + position_, count);
        position_ += static_cast<std::int64_t>(count);
        return count;
    }
    std::size_t write(std::span<const char> data) override {
        bytes.replace(static_cast<std::size_t>(position_), data.size(), data.data(), data.size());
        position_ += static_cast<std::int64_t>(data.size());
        return data.size();
    }

    std::string bytes;

private:
    std::int64_t position_ = 0;
    bool* released_;
};

// Bytes that show where a piece went missing or came twice: each position's own pattern.
inline std::string patternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('0' + (i * 7 + i / 4093) % 10);
    }
    return bytes;
}

} // namespace couriel_test
