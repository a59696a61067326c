#pragma once

#include "couriel/socket/stream.h"

#include <filesystem>
#include <memory>

namespace couriel {

// A file to send, or one being written.
class FileStream final : public OutgoingFile {
public:
    // A regular file, to read; its size is taken now, and reading stops there even when the
    // file grows meanwhile. Nothing when it cannot be opened or is no regular file (a pipe
    // would make the reader wait for ever).
    static std::unique_ptr<FileStream> openForReading(const std::filesystem::path& path);
    // A new empty file to write; nothing when it cannot be created or something of its name
    // exists already (a symbolic link included).
    static std::unique_ptr<FileStream> createNew(const std::filesystem::path& path);

    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    std::int64_t position() const override { return position_; }
    void setPosition(std::int64_t position) override { position_ = position; }
    std::int64_t size() const override { return size_; }
    // The number of bytes written at the position; fewer than given when writing failed.
    std::size_t write(std::span<const char> bytes);
    int descriptor() const override { return fd_; }

private:
    FileStream(int fd, std::int64_t size) : fd_(fd), size_(size) {}

    int fd_;
    std::int64_t size_;
    std::int64_t position_ = 0;
};

} // namespace couriel
