#include "couriel/transfer/filelist.h"

namespace couriel {

namespace fs = std::filesystem;

namespace {

void addFolder(const fs::path& folder, const fs::path& relative, FileList& list) {
    std::error_code error;
    fs::directory_iterator it(folder / relative, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const fs::path entry = relative / it->path().filename();
        std::error_code ignored;
        if (it->is_symlink(ignored)) {
            if (!it->is_directory(ignored)) {
                list.files.push_back(entry);
            }
        } else if (it->is_directory(ignored)) {
            addFolder(folder, entry, list);
        } else {
            list.files.push_back(entry);
        }
    }
    if (error) {
        list.unlisted.push_back(relative);
    }
}

} // namespace

FileList buildFileList(const fs::path& folder, const std::vector<std::string>& selection) {
    FileList list;
    for (const std::string& name : selection) {
        std::error_code ignored;
        if (fs::is_directory(folder / name, ignored)) {
            addFolder(folder, name, list);
        } else {
            list.files.emplace_back(name);
        }
    }
    return list;
}

} // namespace couriel
