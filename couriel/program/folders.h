#pragma once

#include "common/ansi.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace couriel {

// Folders as the browser holds them: absolute, in the file system's encoding, '/' between
// the parts and one '/' at the end, with no "." or ".." parts.
std::string asFolder(std::string_view path);

// The folder above; nothing at the top of the tree.
std::optional<std::string> parentFolder(std::string_view folder);

// The drive that holds the folder: the deepest of the drives' roots that the folder is in,
// "/" when it is in none.
std::string driveOf(std::string_view folder, const std::vector<std::string>& drives);

// What goes under Dir in the settings file for the folder: the folder in the ANSI code page,
// or the nearest folder above it that the code page can carry, since a name with '?' in place
// of a character would lead elsewhere at the next start.
std::string storedFolder(std::string_view folder, const common::CodePage& codePage);

// The last folder shown on each drive, so that choosing a drive again returns to it.
class LastFolders {
public:
    explicit LastFolders(std::vector<std::string> drives) : drives_(std::move(drives)) {}

    const std::vector<std::string>& drives() const { return drives_; }
    std::string driveOf(std::string_view folder) const { return couriel::driveOf(folder, drives_); }

    void shown(const std::string& folder) { last_[driveOf(folder)] = folder; }
    // The drive's root when nothing was shown on it yet.
    std::string folderOn(const std::string& drive) const;

private:
    std::vector<std::string> drives_;
    std::map<std::string, std::string> last_;
};

} // namespace couriel
