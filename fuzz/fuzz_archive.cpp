// The message archive as the archive window reads it: any bytes give records, never more records
// than marker lines, and every record's text is made of whole lines.
#include "natterby/archive/archivefile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const auto records = natterby::archive::parseArchive(content);
    std::size_t lines = 1;
    for (char c : content) {
        lines += c == '\n' ? 1 : 0;
    }
    if (records.size() > lines) {
        std::abort();
    }
    for (const auto& record : records) {
        if (record.marker != natterby::archive::kArchiveSent &&
            record.marker != natterby::archive::kArchiveReceived) {
            std::abort();
        }
        if (!record.text.empty() && !record.text.ends_with("\r\n")) {
            std::abort();
        }
    }
    return 0;
}
