#include "natterby/protocol/macros.h"

#include <algorithm>

namespace natterby::protocol {

namespace {

std::string macroKey(int n) {
    return "F" + std::to_string(n);
}

} // namespace

std::string macroCaption(int n, std::string_view text) {
    std::string caption(text);
    caption += " \tShift+F";
    caption += std::to_string(n);
    return caption;
}

std::vector<std::string> macroCaptions(const common::LanguageTexts& language) {
    std::vector<std::string> captions;
    captions.reserve(kMacroCount);
    for (int n = 1; n <= kMacroCount; ++n) {
        captions.push_back(macroCaption(n, language.text("Macros", macroKey(n))));
    }
    return captions;
}

// The shortcut's tab is the last one: a recorded text may hold a tab of its own.
std::string macroText(std::string_view caption) {
    const std::size_t tab = caption.rfind('\t');
    if (tab == std::string_view::npos) {
        return std::string(caption);
    }
    return std::string(caption.substr(0, tab == 0 ? 0 : tab - 1));
}

Insertion insertMacro(std::string_view line, std::size_t caret, std::string_view macro) {
    const std::size_t at = std::min(caret, line.size());
    Insertion result;
    result.text.reserve(line.size() + macro.size());
    result.text.append(line.substr(0, at)).append(macro).append(line.substr(at));
    result.caret = at + macro.size();
    return result;
}

std::optional<std::string> recordMacro(int n, const std::string& line,
                                       const common::ProfileFile& settingsFile,
                                       const std::string& programFolder) {
    if (line.empty()) {
        return std::nullopt;
    }
    const common::ProfileFile language(common::languageFilePath(
        programFolder, settingsFile.readText("Language", "ini", "LangRus")));
    language.writeText("Macros", macroKey(n), line);
    return macroCaption(n, line);
}

} // namespace natterby::protocol
