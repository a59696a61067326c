#pragma once

#include "couriel/transfer/filestream.h"

#include <filesystem>
#include <memory>
#include <span>

namespace couriel {

// A file being received. Its bytes go to a new file under a temporary name in the target's
// folder, which takes the target's place when the file is closed, whole or not: a file of that
// name stays untouched while the data comes (a sender in the same folder may be reading it),
// and what did arrive ends under the target's name all the same.
class PartFile {
public:
    // Nothing when no file can be made in the target's folder.
    static std::unique_ptr<PartFile> create(const std::filesystem::path& target);

    // Closes the file as close() does, when that was not done.
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    // The number of bytes written; fewer than given when writing failed.
    std::size_t write(std::span<const char> bytes) { return stream_->write(bytes); }
    // For writing without write(): the file's descriptor, and the bytes so written after the
    // others.
    int descriptor() const { return stream_->descriptor(); }
    void wroteDirectly(std::size_t count) {
        stream_->setPosition(stream_->position() + static_cast<std::int64_t>(count));
    }
    // Puts the file in the target's place. False when it cannot go there (a folder of that
    // name, say): the part is then removed.
    bool close();

private:
    PartFile(std::unique_ptr<FileStream> stream, std::filesystem::path temporary,
             std::filesystem::path target);

    std::unique_ptr<FileStream> stream_;
    std::filesystem::path temporary_;
    std::filesystem::path target_;
};

} // namespace couriel
