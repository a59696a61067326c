#include "natterby/protocol/autoanswers.h"
#include "tests/fakes/tempfolder.h"

#include <gtest/gtest.h>

namespace {

using namespace natterby::protocol;
using Texts = std::vector<std::string>;

constexpr std::string_view kStored =
    "[AutoAns]\r\nCount=3\r\n1=lunch\r\n2=meeting\r\n3=gone\r\nCurrent=lunch\r\n";

TEST(AutoAnswers, ListComesFromTheLanguageFileOfTheTexts) {
    TempFolder folder;
    EXPECT_EQ(
        autoAnswerFile(common::ProfileFile(folder.file("Interf.ini")), folder.folder()).path(),
        folder.file(".ini"));
    const common::ProfileFile settingsFile(
        folder.write("Interf.ini", "[Language]\r\nini=English\r\n"));
    folder.write("English.ini", kStored);
    const AutoAnswerList list = loadAutoAnswers(autoAnswerFile(settingsFile, folder.folder()));
    EXPECT_EQ(list.texts, (Texts{"lunch", "meeting", "gone"}));
    EXPECT_EQ(list.current, "lunch");
    EXPECT_EQ(autoAnswerCaption("Available (Normal)\tCtrl+S"), "Available (Norm...");
}

TEST(AutoAnswers, OkAppendsANewTextReplacesAnEditedOneAndCancelClearsTheCurrent) {
    struct Case {
        const char* name;
        int picked; // -1: Cancel
        std::string text;
        Texts after;
    };
    const Case cases[] = {
        {"typed without picking", 0, "home", {"lunch", "meeting", "gone", "home"}},
        {"typed into the empty entry", 4, "home", {"lunch", "meeting", "gone", "home"}},
        {"middle entry edited", 2, "at 3", {"lunch", "at 3", "gone"}},
        {"last entry edited", 3, "fishing", {"lunch", "meeting", "fishing"}},
        {"stored entry taken", 2, "lunch", {"lunch", "meeting", "gone"}},
        {"empty text", 4, "", {"lunch", "meeting", "gone"}},
        {"cancel", -1, "", {"lunch", "meeting", "gone"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const common::ProfileFile language(folder.write("English.ini", kStored));
        if (c.picked < 0) {
            cancelAutoAnswer(language);
        } else {
            EXPECT_EQ(acceptAutoAnswer(language, loadAutoAnswers(language), c.picked, c.text),
                      c.text);
        }
        const AutoAnswerList after = loadAutoAnswers(language);
        EXPECT_EQ(after.texts, c.after);
        EXPECT_EQ(after.current, c.text);
    }
}

TEST(AutoAnswers, DamagedCountIsBoundedAndWrittenBackSound) {
    const std::pair<std::string, int> cases[] = {
        {"2147483647", kMaxAutoAnswers}, {"-5", 0}, {"many", 0}};
    for (const auto& [count, size] : cases) {
        SCOPED_TRACE(count);
        TempFolder folder;
        const common::ProfileFile language(
            folder.write("English.ini", "[AutoAns]\r\nCount=" + count + "\r\n1=a\r\n"));
        const AutoAnswerList list = loadAutoAnswers(language);
        EXPECT_EQ(list.texts.size(), static_cast<std::size_t>(size));
        acceptAutoAnswer(language, list, 0, "new");
        EXPECT_EQ(language.readInt("AutoAns", "Count", 0), size + 1);
        EXPECT_EQ(language.readText("AutoAns", std::to_string(size + 1), ""), "new");
    }
}

} // namespace
