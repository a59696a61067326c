#include "couriel/program/folders.h"

#include <filesystem>

namespace couriel {

namespace fs = std::filesystem;

std::string asFolder(std::string_view path) {
    fs::path absolute(path);
    if (absolute.is_relative()) {
        std::error_code ignored;
        absolute = fs::absolute(absolute, ignored);
    }
    std::string folder = absolute.lexically_normal().generic_string();
    if (folder.empty() || folder.front() != '/') {
        folder.insert(0, "/");
    }
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::optional<std::string> parentFolder(std::string_view folder) {
    if (folder.size() <= 1) {
        return std::nullopt;
    }
    const std::size_t slash = folder.rfind('/', folder.size() - 2);
    return std::string(folder.substr(0, slash + 1));
}

std::string driveOf(std::string_view folder, const std::vector<std::string>& drives) {
    std::string best = "/";
    for (const std::string& drive : drives) {
        if (folder.starts_with(drive) && drive.size() > best.size()) {
            best = drive;
        }
    }
    return best;
}

std::string storedFolder(std::string_view folder, const common::CodePage& codePage) {
    std::string carried(folder);
    std::string ansi = codePage.fromUtf8(carried);
    while (codePage.toUtf8(ansi) != carried && carried != "/") {
        carried = parentFolder(carried).value_or("/");
        ansi = codePage.fromUtf8(carried);
    }
    return ansi;
}

std::string LastFolders::folderOn(const std::string& drive) const {
    const auto found = last_.find(drive);
    return found == last_.end() ? drive : found->second;
}

} // namespace couriel
