#pragma once

#include "common/ansi.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace common {

// One Interf.ini-style file, read and written key by key with the rules of the Windows
// profile-string functions, so that files written by either platform read the same:
// - section and key names match without regard to ASCII letter case;
// - blanks around a stored value are not part of it; a value in a matching pair of single or
//   double quotes reads without them;
// - a default's trailing blanks are dropped; at most 2047 characters come back;
// - writing a missing key adds it at the end of its section (and the section at the end of
//   the file); every other line stays as it was; the first write creates the file;
// - CR LF and LF line ends both read; a file written anew uses CR LF.
// Nothing is cached: every call opens and reads the file, so each read sees the last write.
// All texts are byte strings in the ANSI code page.
class ProfileFile {
public:
    static constexpr std::size_t kMaxValueLength = 2047;

    explicit ProfileFile(std::string path);

    const std::string& path() const { return path_; }

    std::string readText(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
    // The platform's integer reading: an optional sign, then leading decimal digits; no digits
    // give 0; a missing key gives the default. Negative values (system colours) read back signed.
    std::int32_t readInt(std::string_view section, std::string_view key,
                         std::int32_t defaultValue) const;

    // Returns false when the file could not be written; callers that ignore write failures may
    // drop the result.
    bool writeText(std::string_view section, std::string_view key, std::string_view value) const;
    bool writeInt(std::string_view section, std::string_view key, std::int32_t value) const;

private:
    std::string path_;
};

// The same rules applied to the contents of a file held in memory (used by ProfileFile; also the
// entry points of the tests and the fuzz target).
// The value of key in the first section named section, blanks around it removed but quotes kept;
// nothing when either is missing. Lines before the first section header belong to no section.
std::optional<std::string_view> findProfileValue(std::string_view content, std::string_view section,
                                                 std::string_view key);
// The contents after writing key=value into section: an existing key's line is replaced (other
// lines and line ends byte for byte as they were), a missing key is added after the last key of
// the section, a missing section is appended at the end. New lines use the content's first line
// end, CR LF when it has none. A line break in section, key or value cuts it there.
std::string withProfileValue(std::string_view content, std::string_view section,
                             std::string_view key, std::string_view value);
// What a read gives for a found stored value (quotes dropped, cut to kMaxValueLength) and for a
// default (trailing blanks dropped, cut).
std::string storedToText(std::string_view stored);
std::string defaultToText(std::string_view defaultValue);

// Section and key names compare like this: ASCII letters without regard to case, other bytes as
// they are.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// The value kinds stored in settings files.
bool isFlagOne(std::string_view stored);  // on when exactly "1"
bool isFlagTrue(std::string_view stored); // on when exactly "true" (case matters)
// An optional "$", then hexadecimal digits up to the first other character; none give 0.
std::uint32_t parseHex(std::string_view stored);
// The platform's integer reading of a stored text (see ProfileFile::readInt).
std::int32_t parseInt(std::string_view stored, std::int32_t defaultValue = 0);
// A nick is on an ignore list ("#Bob#Ann#") when the list holds "#" + nick + "#", without
// regard to case: a listed nick must not get through by writing itself in other letters.
bool ignoreListHas(std::string_view list, std::string_view nick, const CodePage& codePage);

} // namespace common
