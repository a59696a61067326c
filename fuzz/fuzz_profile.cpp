// Settings and language files as the programs read and write them. The input is split into a
// file's contents and a section, a key and a value; the properties checked are the ones the
// programs rely on: a value written reads back as written, and writing never loses another key.
#include "common/profile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Takes the text up to the next 0xFF byte as one part of the input.
std::string_view nextPart(std::string_view& input) {
    const std::size_t end = input.find('\xFF');
    const std::string_view part = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return part;
}

// Blanks around names and values are not part of them, as in any settings file, and the
// programs never write control characters; the round trip holds for everything else.
bool printable(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

bool trimmed(std::string_view text) {
    return printable(text) && (text.empty() || (text.front() != ' ' && text.back() != ' '));
}

bool plain(std::string_view text) {
    return text.find_first_of("[]=\"'") == std::string_view::npos && !text.empty() &&
           trimmed(text) && text.front() != ';';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view content = nextPart(input);
    const std::string_view section = nextPart(input);
    const std::string_view key = nextPart(input);
    const std::string_view value = nextPart(input);

    const auto before = common::findProfileValue(content, section, key);
    if (before) {
        (void)common::storedToText(*before);
    }
    (void)common::defaultToText(value);
    (void)common::parseInt(value);
    (void)common::parseHex(value);

    const std::string written = common::withProfileValue(content, section, key, value);
    if (plain(section) && plain(key) && value.size() < common::ProfileFile::kMaxValueLength &&
        value.find_first_of("\"'") == std::string_view::npos && trimmed(value)) {
        const auto after = common::findProfileValue(written, section, key);
        if (!after || *after != value) {
            std::abort();
        }
    }
    return 0;
}
