#include "common/texts.h"

#include <algorithm>
#include <filesystem>

namespace common {

std::optional<std::string_view> builtInText(std::string_view section, std::string_view key) {
    for (const TextEntry& entry : builtInTexts())
        if (equalsIgnoringAsciiCase(entry.section, section) &&
            equalsIgnoringAsciiCase(entry.key, key))
            return entry.text;
    return std::nullopt;
}

std::string LanguageTexts::text(std::string_view section, std::string_view key) const {
    return file_.readText(section, key, builtInText(section, key).value_or(std::string_view()));
}

std::string LanguageTexts::text(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    return file_.readText(section, key, defaultValue);
}

std::string languageFilePath(std::string_view programFolder, std::string_view iniValue) {
    std::string path;
    path.reserve(programFolder.size() + iniValue.size() + 4);
    path.append(programFolder).append(iniValue).append(".ini");
    return path;
}

std::vector<std::string> listLanguages(const std::string& folder) {
    namespace fs = std::filesystem;
    constexpr std::string_view kExtension = ".ini";
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(folder.empty() ? "." : folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.size() < kExtension.size() ||
            !equalsIgnoringAsciiCase(std::string_view(name).substr(name.size() - 4), kExtension) ||
            equalsIgnoringAsciiCase(name, "interf.ini"))
            continue;
        std::error_code statError;
        if (!it->is_regular_file(statError))
            continue;
        // The file ".ini" would give an empty name; the system's search lists it too.
        names.push_back(name.substr(0, name.size() - kExtension.size()));
    }
    auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return s;
    };
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        std::string la = lower(a), lb = lower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

PlaceholderParts splitAtPlaceholder(std::string_view text) {
    std::size_t at = text.find('@');
    if (at == std::string_view::npos)
        return {std::string(text), std::string()};
    return {std::string(text.substr(0, at)), std::string(text.substr(at + 1))};
}

std::string genderedKey(std::string_view stem, char gender) {
    std::string key(stem);
    key.append(gender == '0' ? "He" : "She");
    return key;
}

std::string menuCaption(std::string_view text, std::string_view shortcut) {
    std::string caption(text);
    caption.push_back('\t');
    caption.append(shortcut);
    return caption;
}

std::string statusCaption(std::string_view menuCaption) {
    std::string_view beforeTab = menuCaption.substr(0, menuCaption.find('\t'));
    return std::string(beforeTab.substr(0, kMaxStatusCaptionLength));
}

std::string tooltipText(std::string_view text) {
    return std::string(text.substr(0, kMaxTooltipLength));
}

} // namespace common
