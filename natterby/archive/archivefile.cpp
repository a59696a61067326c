#include "natterby/archive/archivefile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace natterby::archive {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool isMarker(std::string_view line) {
    return line == kArchiveSent || line == kArchiveReceived;
}

// A file whose last line lost its line end (a write cut short) would glue the new marker to
// that line and swallow the record; such a file gets its line end first.
bool endsInsideLine(std::FILE* file) {
    if (std::fseek(file, -1, SEEK_END) != 0) {
        return false; // empty file
    }
    return std::fgetc(file) != '\n';
}

} // namespace

bool appendArchiveRecord(const std::string& path, std::string_view marker, std::string_view time,
                         std::string_view nick, std::string_view text) {
    File file(std::fopen(path.c_str(), "ab+"));
    if (!file) {
        return false;
    }
    std::string record;
    if (endsInsideLine(file.get())) {
        record += "\r\n";
    }
    for (std::string_view line : {marker, time, nick, text}) {
        record.append(line);
        record += "\r\n";
    }
    const bool written = std::fwrite(record.data(), 1, record.size(), file.get()) == record.size();
    return std::fclose(file.release()) == 0 && written;
}

std::vector<ArchiveRecord> parseArchive(std::string_view content) {
    std::vector<ArchiveRecord> records;
    std::size_t position = 0;
    // Fields of the current record still to be read: time, nick, then text lines.
    int field = 0;
    while (position < content.size()) {
        std::size_t end = content.find('\n', position);
        std::string_view line = content.substr(
            position, end == std::string_view::npos ? std::string_view::npos : end - position);
        position = end == std::string_view::npos ? content.size() : end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (isMarker(line)) {
            records.push_back({std::string(line), {}, {}, {}});
            field = 1;
        } else if (records.empty()) {
            continue; // lines before the first marker
        } else if (field == 1) {
            records.back().time = line;
            field = 2;
        } else if (field == 2) {
            records.back().nick = line;
            field = 3;
        } else {
            records.back().text.append(line);
            records.back().text += "\r\n";
        }
    }
    std::reverse(records.begin(), records.end());
    return records;
}

std::vector<ArchiveRecord> readArchive(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return {};
    }
    const std::string content{std::istreambuf_iterator<char>(file),
                              std::istreambuf_iterator<char>()};
    return parseArchive(content);
}

bool clearArchive(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return true;
    }
    File file(std::fopen(path.c_str(), "wb"));
    return file != nullptr;
}

} // namespace natterby::archive
