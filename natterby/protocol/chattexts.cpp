#include "natterby/protocol/chattexts.h"

#include <cctype>

namespace natterby::protocol {

namespace {

// Section and key names match without regard to ASCII case, like the file's own.
std::string lookupKey(std::string_view section, std::string_view key) {
    std::string result;
    result.reserve(section.size() + key.size() + 1);
    for (char c : section) {
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    result += '\n';
    for (char c : key) {
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

const std::string kNothing;
constexpr std::string_view kStatusKeys[] = {"Available", "DND", "Away", "Offline"};

} // namespace

ChatTexts::ChatTexts() {
    fill(nullptr);
}

ChatTexts::ChatTexts(const common::LanguageTexts& language) {
    fill(&language);
}

void ChatTexts::fill(const common::LanguageTexts* language) {
    for (const common::TextEntry& entry : common::builtInTexts()) {
        if (entry.kind != common::TextKind::Interface) {
            continue;
        }
        texts_[lookupKey(entry.section, entry.key)] = language != nullptr
                                                          ? language->text(entry.section, entry.key)
                                                          : std::string(entry.text);
    }
    for (std::size_t i = 0; i < std::size(kStatusKeys); ++i) {
        const std::string& caption = get("Status", kStatusKeys[i]);
        statusNames_[i] = caption.substr(0, caption.find('\t'));
    }
    // Only the exact word selects the Russian edition's title.
    programTitle_ = get("Lang", "Lang") == "Russian" ? "Natterby v 1.0.1" : "Natterby v 1.1";
}

const std::string& ChatTexts::get(std::string_view section, std::string_view key) const {
    const auto found = texts_.find(lookupKey(section, key));
    return found == texts_.end() ? kNothing : found->second;
}

const std::string& ChatTexts::gendered(std::string_view stem, char gender) const {
    return get("SysMes", common::genderedKey(stem, gender));
}

const std::string& ChatTexts::statusName(char status) const {
    if (status < '0' || status > '3') {
        return kNothing;
    }
    return statusNames_[status - '0'];
}

} // namespace natterby::protocol
