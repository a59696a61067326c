#include "platform/programfolder.h"

#include <filesystem>
#include <system_error>

namespace platform {

std::string programFolder() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        // Without /proc the working folder is the best remaining guess.
        exe = std::filesystem::current_path(error) / "natterby";
    }
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

} // namespace platform
