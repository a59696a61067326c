#include "couriel/transfer/partfile.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace couriel {

namespace {

// Parts left by a receiver that was killed keep their names, so a new one takes the next free
// name rather than touch them.
constexpr int kNamesTried = 100;

} // namespace

std::unique_ptr<PartFile> PartFile::create(const std::filesystem::path& target) {
    // A name of its own, hidden and short, so that even the longest target name leaves room.
    const std::string stem = ".couriel-" + std::to_string(::getpid()) + "-";
    for (int n = 0; n < kNamesTried; ++n) {
        std::filesystem::path temporary =
            target.parent_path() / (stem + std::to_string(n) + ".part");
        std::unique_ptr<FileStream> stream = FileStream::createNew(temporary);
        if (stream) {
            return std::unique_ptr<PartFile>(
                new PartFile(std::move(stream), std::move(temporary), target));
        }
        std::error_code ignored;
        if (!std::filesystem::exists(std::filesystem::symlink_status(temporary, ignored))) {
            // Not taken, so it could not be made: no other name would do better.
            return nullptr;
        }
    }
    return nullptr;
}

PartFile::PartFile(std::unique_ptr<FileStream> stream, std::filesystem::path temporary,
                   std::filesystem::path target)
    : stream_(std::move(stream)), temporary_(std::move(temporary)), target_(std::move(target)) {}

PartFile::~PartFile() {
    close();
}

bool PartFile::close() {
    if (!stream_) {
        return true;
    }
    stream_.reset();
    // A rename replaces a link in the target's place rather than write through it.
    if (std::rename(temporary_.c_str(), target_.c_str()) == 0) {
        return true;
    }
    ::unlink(temporary_.c_str());
    return false;
}

} // namespace couriel
