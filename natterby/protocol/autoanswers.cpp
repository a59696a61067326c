#include "natterby/protocol/autoanswers.h"

#include "common/texts.h"

#include <algorithm>

namespace natterby::protocol {

namespace {

constexpr std::string_view kSection = "AutoAns";

} // namespace

common::ProfileFile autoAnswerFile(const common::ProfileFile& settingsFile,
                                   const std::string& programFolder) {
    return common::ProfileFile(
        common::languageFilePath(programFolder, settingsFile.readText("Language", "ini", "")));
}

AutoAnswerList loadAutoAnswers(const common::ProfileFile& language) {
    AutoAnswerList list;
    const int count = std::clamp(language.readInt(kSection, "Count", 0), 0, kMaxAutoAnswers);
    list.texts.reserve(static_cast<std::size_t>(count));
    for (int key = 1; key <= count; ++key) {
        list.texts.push_back(language.readText(kSection, std::to_string(key), ""));
    }
    list.current = language.readText(kSection, "Current", "");
    return list;
}

std::string autoAnswerCaption(std::string_view statusMenuCaption) {
    return common::statusCaption(statusMenuCaption) + "...";
}

// The empty entry at the end of the list is one of its entries too, so an empty text is never
// stored.
std::string acceptAutoAnswer(const common::ProfileFile& language, const AutoAnswerList& list,
                             int picked, const std::string& text) {
    const int stored = static_cast<int>(list.texts.size());
    if (!text.empty() &&
        std::find(list.texts.begin(), list.texts.end(), text) == list.texts.end()) {
        const bool edited = picked >= 1 && picked <= stored;
        language.writeText(kSection, std::to_string(edited ? picked : stored + 1), text);
        language.writeInt(kSection, "Count", edited ? stored : stored + 1);
    }
    language.writeText(kSection, "Current", text);
    return text;
}

void cancelAutoAnswer(const common::ProfileFile& language) {
    language.writeText(kSection, "Current", "");
}

} // namespace natterby::protocol
