#pragma once

#include "common/profile.h"
#include "common/texts.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace natterby::protocol {

inline constexpr int kMacroCount = 12;

// The twelve macros live in the captions of the macro menu while the program runs, and in
// section Macros (keys "F1" .. "F12") of a language file between runs.

// The caption of macro entry n (1 .. 12): the text, a blank, a tab and "Shift+F" + n.
std::string macroCaption(int n, std::string_view text);

// The captions of the twelve entries as the language file gives them, macro 1 first.
std::vector<std::string> macroCaptions(const common::LanguageTexts& language);

// The text a caption inserts: everything before the blank that precedes its tab; a caption
// without a tab inserts all of itself.
std::string macroText(std::string_view caption);

struct Insertion {
    std::string text;
    std::size_t caret = 0; // just after the inserted text
};

// The chat line with the macro inserted at the caret (counted from 0; a caret past the end
// inserts at the end).
Insertion insertMacro(std::string_view line, std::size_t caret, std::string_view macro);

// Stores the chat line as macro n (1 .. 12) in the language file named by `ini` of section
// Language of the settings file, "LangRus" when that is missing, and returns the entry's new
// caption. An empty line records nothing. A file that cannot be written loses the macro at the
// next start only.
std::optional<std::string> recordMacro(int n, const std::string& line,
                                       const common::ProfileFile& settingsFile,
                                       const std::string& programFolder);

} // namespace natterby::protocol
