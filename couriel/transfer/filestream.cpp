#include "couriel/transfer/filestream.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace couriel {

std::unique_ptr<FileStream> FileStream::openForReading(const std::filesystem::path& path) {
    // Non-blocking, so that opening a pipe that slipped in does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<FileStream>(new FileStream(fd, info.st_size));
}

std::unique_ptr<FileStream> FileStream::createNew(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    return std::unique_ptr<FileStream>(new FileStream(fd, 0));
}

FileStream::~FileStream() {
    ::close(fd_);
}

std::size_t FileStream::write(std::span<const char> bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::pwrite(fd_, bytes.data() + written, bytes.size() - written,
                                   position_ + static_cast<std::int64_t>(written));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    position_ += static_cast<std::int64_t>(written);
    size_ = std::max(size_, position_);
    return written;
}

} // namespace couriel
