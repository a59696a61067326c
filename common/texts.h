#pragma once

#include "common/profile.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace common {

// What a key of a language file holds.
enum class TextKind {
    Interface, // a text of the user interface: the built-in English text is its default
    UserData,  // macros and auto-answers kept in the language file; no translation holds them
};

struct TextEntry {
    std::string_view section;
    std::string_view key;
    std::string_view text; // the built-in English text, exactly
    TextKind kind = TextKind::Interface;
};

// Every built-in text of both programs (Couriel's in section Exchange), section by section. Texts
// with an empty built-in value are included (tooltips, macros), so the table also names every key a
// translation may set. The numbered auto-answer keys "1" .. Count are not fixed and are not listed.
std::span<const TextEntry> builtInTexts();

// The built-in text of a key; section and key compare without regard to ASCII case.
std::optional<std::string_view> builtInText(std::string_view section, std::string_view key);

constexpr std::size_t kMaxTooltipLength = 15;
constexpr std::size_t kMaxStatusCaptionLength = 15;

// One language file. Nothing is cached: every look-up reads the file afresh, so a text
// written by macro recording is seen by the next read.
class LanguageTexts {
public:
    explicit LanguageTexts(std::string path) : file_(std::move(path)) {}

    const ProfileFile& file() const { return file_; }

    // The file's text for the key, or else the key's built-in text (empty for a key that has
    // none). A key present with an empty value gives the empty text. Like every default, the
    // built-in text loses its trailing blanks ("Connect to " reads as "Connect to").
    std::string text(std::string_view section, std::string_view key) const;
    std::string text(std::string_view section, std::string_view key,
                     std::string_view defaultValue) const;

private:
    ProfileFile file_;
};

// The language file: the program's folder (ending in its separator) + the `ini` value + ".ini".
std::string languageFilePath(std::string_view programFolder, std::string_view iniValue);

// The language names of a folder: every regular file whose
// name ends in ".ini" (without regard to case) except the settings file "interf.ini" (also
// without regard to case), each without its last four characters. The system's listing order
// is not fixed on Linux; the names come sorted without regard to case, as an NTFS listing gives
// them. A missing folder gives no names.
std::vector<std::string> listLanguages(const std::string& folder);

// A copy of a text split at its first "@": the part before it and the part after it. A text
// without "@" is all before, with an empty after. The stored text is never changed.
struct PlaceholderParts {
    std::string before;
    std::string after;
};
PlaceholderParts splitAtPlaceholder(std::string_view text);

// The key of a He/She pair: stem + "He" when the gender letter is '0', stem + "She" otherwise.
std::string genderedKey(std::string_view stem, char gender);

// A menu caption: the text, a tab character, the shortcut.
std::string menuCaption(std::string_view text, std::string_view shortcut);
// The characters of a menu caption before its first tab, at most 15.
std::string statusCaption(std::string_view menuCaption);
// A toolbar tooltip: at most 15 characters of the text.
std::string tooltipText(std::string_view text);

} // namespace common
