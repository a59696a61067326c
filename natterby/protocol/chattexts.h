#pragma once

#include "common/texts.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace natterby::protocol {

// The language texts the chat uses while it runs, read once at start so that handling a packet
// never touches the language file. Macros and auto-answers are not held here: they change while
// the program runs and are read where they are used.
class ChatTexts {
public:
    // The built-in English texts.
    ChatTexts();
    explicit ChatTexts(const common::LanguageTexts& language);

    // The text of a key (empty for a key the program does not know).
    const std::string& get(std::string_view section, std::string_view key) const;
    // The He or She form of a system message for the gender letter.
    const std::string& gendered(std::string_view stem, char gender) const;

    // "Natterby v 1.1", or "Natterby v 1.0.1" when the language file is the Russian one.
    const std::string& programTitle() const { return programTitle_; }
    // The status menu entry's text for '0' .. '3' (the caption up to its tab); empty otherwise.
    const std::string& statusName(char status) const;

private:
    void fill(const common::LanguageTexts* language);

    std::unordered_map<std::string, std::string> texts_;
    std::string programTitle_;
    std::string statusNames_[4];
};

} // namespace natterby::protocol
