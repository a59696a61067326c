#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace natterby::archive {

// Message.txt: records one after the other, oldest first, every line ended by CR LF:
//   marker ("*>*" sent, "*<*" received)
//   time stamp ("09:05 | 06.12.2026")
//   the other user's nick
//   the text, as many lines as it has
// A record ends where the next marker line begins, so a text line that is exactly a marker
// starts a new record when the file is read back.
inline constexpr std::string_view kArchiveSent = "*>*";
inline constexpr std::string_view kArchiveReceived = "*<*";

struct ArchiveRecord {
    std::string marker;
    std::string time;
    std::string nick;
    std::string text; // every line followed by CR LF
};

// Appends one record, creating the file when missing. Returns false when it could not be
// written; the caller goes on quietly.
bool appendArchiveRecord(const std::string& path, std::string_view marker, std::string_view time,
                         std::string_view nick, std::string_view text);

// The records of an archive's content, newest first. Lines before the first marker are
// skipped; a record cut short keeps what it has.
std::vector<ArchiveRecord> parseArchive(std::string_view content);

// The records of the archive file, newest first; a missing or unreadable file has none.
std::vector<ArchiveRecord> readArchive(const std::string& path);

// Empties the archive file when it exists; a missing file stays missing.
bool clearArchive(const std::string& path);

} // namespace natterby::archive
