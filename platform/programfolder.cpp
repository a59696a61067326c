#include "platform/programfolder.h"

#include "common/texts.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace platform {

namespace {

namespace fs = std::filesystem;

std::string withSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string executableFolder() {
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        // Without /proc the working folder is the best remaining guess.
        exe = fs::current_path(error) / "natterby";
    }
    return withSeparator(exe.parent_path().string());
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return home;
    }
    const passwd* entry = getpwuid(geteuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

void copyIfMissing(const std::string& from, const std::string& to) {
    std::error_code error;
    if (fs::copy_file(from, to, fs::copy_options::skip_existing, error)) {
        // The package's files may be read-only; the user's copy is written into.
        fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                        error);
    }
}

} // namespace

ProgramFolders chooseProgramFolders(const std::string& package, bool packageWritable,
                                    const char* xdgDataHome, const std::string& home) {
    if (packageWritable && !startsWith(package, "/usr/")) {
        return {package, package};
    }
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        return {package, withSeparator(xdgDataHome) + "natterby/"};
    }
    if (startsWith(home, "/")) {
        return {package, withSeparator(home) + ".local/share/natterby/"};
    }
    return {package, package};
}

void prepareOwnFolder(const ProgramFolders& folders) {
    if (folders.own == folders.package) {
        return;
    }
    std::error_code error;
    if (fs::create_directories(folders.own, error)) {
        fs::permissions(folders.own, fs::perms::owner_all, error);
    }
    copyIfMissing(folders.package + "Interf.ini", folders.own + "Interf.ini");
    for (const std::string& language : common::listLanguages(folders.package)) {
        copyIfMissing(folders.package + language + ".ini", folders.own + language + ".ini");
    }
}

ProgramFolders programFolders() {
    const std::string package = executableFolder();
    const ProgramFolders folders = chooseProgramFolders(package, access(package.c_str(), W_OK) == 0,
                                                        std::getenv("XDG_DATA_HOME"), homeFolder());
    prepareOwnFolder(folders);
    return folders;
}

} // namespace platform
