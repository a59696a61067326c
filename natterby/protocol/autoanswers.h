#pragma once

#include "common/profile.h"

#include <string>
#include <string_view>
#include <vector>

namespace natterby::protocol {

// The remembered auto-answers of the status dialogs, kept in section AutoAns of a language file:
// "Count", the texts "1" .. Count, and "Current", the one in force.

// More texts than the dialog's list could sensibly offer are not read, so that a damaged Count
// cannot keep the dialog reading.
inline constexpr int kMaxAutoAnswers = 100;

// The language file the start-up load took its texts from: `ini` of section Language, with no
// default.
common::ProfileFile autoAnswerFile(const common::ProfileFile& settingsFile,
                                   const std::string& programFolder);

struct AutoAnswerList {
    std::vector<std::string> texts; // "1" .. Count, in order
    std::string current;
};

AutoAnswerList loadAutoAnswers(const common::ProfileFile& language);

// The dialog's caption: the status entry's caption up to its tab, at most 15 characters, "...".
std::string autoAnswerCaption(std::string_view statusMenuCaption);

// OK in the dialog with its text; picked is the number (from 1) of the list entry picked last, 0
// when none was, texts.size() + 1 for the empty entry at the end. A text that is not in the list
// replaces the picked stored text, or else is added after the last; returns the auto-answer in
// force.
std::string acceptAutoAnswer(const common::ProfileFile& language, const AutoAnswerList& list,
                             int picked, const std::string& text);

// Cancel in the dialog: no auto-answer is in force.
void cancelAutoAnswer(const common::ProfileFile& language);

} // namespace natterby::protocol
