#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace couriel {

struct FileList {
    // Paths below the folder; they are sent from the last one towards the first.
    std::vector<std::filesystem::path> files;
    // Folders below the folder that could not be listed.
    std::vector<std::filesystem::path> unlisted;
};

// The files that a selection of the folder's entries stands for, in the selection's order: a
// file is itself; a folder is every file below it, depth first, in the order the file system
// lists them, hidden ones included. A link to a folder inside a selected folder is not
// followed, so a link back up cannot make the walk endless.
FileList buildFileList(const std::filesystem::path& folder,
                       const std::vector<std::string>& selection);

} // namespace couriel
