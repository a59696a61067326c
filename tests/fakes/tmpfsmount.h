#pragma once

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/mount.h>

namespace fakes {

// Keeps a tmpfs mounted on a folder for as long as it lives (root only; error() says why not).
class TmpfsMount {
public:
    TmpfsMount(const std::string& folder, const char* options, unsigned long flags = 0)
        : folder_(folder) {
        if (::mount("tmpfs", folder.c_str(), "tmpfs", flags, options) != 0) {
            error_ = std::strerror(errno);
        }
    }
    ~TmpfsMount() {
        if (error_.empty()) {
            // Detached, so that a file still open cannot keep it.
            ::umount2(folder_.c_str(), MNT_DETACH);
        }
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    // Empty when mounted.
    const std::string& error() const { return error_; }

private:
    std::string folder_;
    std::string error_;
};

} // namespace fakes
