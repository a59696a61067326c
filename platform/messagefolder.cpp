#include "platform/messagefolder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string inFolder(const std::string& folder, const std::string& name) {
    const bool separated = !folder.empty() && folder.back() == '/';
    return folder + (separated ? "" : "/") + name;
}

bool isFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Anyone may create names under /tmp, so the folder is trusted only when it is a real folder of
// ours; otherwise another user could read or replace the sockets in it.
std::string privateFolder(const std::string& parent) {
    const uid_t user = ::geteuid();
    const std::string folder = inFolder(parent, "natterby-" + std::to_string(user));
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != user) {
        return {};
    }
    if ((status.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        return {};
    }
    return folder;
}

} // namespace

std::string messageFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return messageFolder(runtime != nullptr ? runtime : "", "/tmp");
}

std::string messageFolder(const std::string& runtimeFolder, const std::string& fallbackParent) {
    if (!runtimeFolder.empty() && isFolder(runtimeFolder)) {
        return runtimeFolder;
    }
    return privateFolder(fallbackParent);
}

std::string messageSocketPath(const std::string& folder, int number) {
    return inFolder(folder, "natterby-msg-" + std::to_string(number));
}

} // namespace platform
