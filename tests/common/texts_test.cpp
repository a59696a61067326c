#include "common/ansi.h"
#include "common/texts.h"
#include "tests/fakes/tempfolder.h"

#include <gtest/gtest.h>
#include <set>

using common::builtInText;
using common::builtInTexts;
using common::LanguageTexts;
using common::TextKind;

namespace {

const std::string kLangRus = NATTERBY_SOURCE_DIR "/data/LangRus.ini";

TEST(BuiltInTexts, AreOneTableLookedUpWithoutCase) {
    std::set<std::string> seen;
    for (const auto& e : builtInTexts()) {
        std::string id = std::string(e.section) + "/" + std::string(e.key);
        for (char& c : id)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(seen.insert(id).second) << "twice: " << id;
    }
    EXPECT_EQ(builtInText("sysmes", "OFFLINE"), "in \"Offline\"");
    EXPECT_FALSE(builtInText("Macros", "F13"));
}

TEST(LanguageTexts, AFileChangesOnlyTheKeysItHoldsAndAMissingOneNothing) {
    TempFolder temp;
    LanguageTexts missing(common::languageFilePath(temp.folder(), ""));
    EXPECT_EQ(missing.file().path(), temp.folder() + ".ini");
    EXPECT_EQ(missing.text("Exchange", "ConnectTo"), "Connect to"); // a default's blank goes
    EXPECT_EQ(missing.text("Exchange", "Wait", "Couriel  "), "Couriel");
    EXPECT_EQ(missing.text("No", "Such"), "");
    LanguageTexts texts(temp.write("English.ini", "[SysMes]\r\nLeaveShe=left\r\n"));
    for (const auto& e : builtInTexts()) {
        std::string expected = common::defaultToText(e.text);
        if (e.section == "SysMes" && e.key == "LeaveShe")
            expected = "left";
        EXPECT_EQ(texts.text(e.section, e.key), expected) << e.section << "/" << e.key;
    }
}

TEST(LanguageTexts, LangRusTranslatesEveryInterfaceText) {
    std::string content = TempFolder::read(kLangRus);
    ASSERT_FALSE(content.empty());
    for (std::size_t lf = content.find('\n'); lf != std::string::npos;
         lf = content.find('\n', lf + 1))
        ASSERT_TRUE(lf > 0 && content[lf - 1] == '\r') << "LF without CR at byte " << lf;

    LanguageTexts texts(kLangRus);
    EXPECT_EQ(texts.text("Lang", "Lang"), "Russian");
    for (const auto& e : builtInTexts()) {
        auto stored = common::findProfileValue(content, e.section, e.key);
        if (e.kind == TextKind::UserData) {
            EXPECT_FALSE(stored) << "user data in LangRus: " << e.section << "/" << e.key;
            continue;
        }
        ASSERT_TRUE(stored) << "missing: " << e.section << "/" << e.key;
        EXPECT_FALSE(common::storedToText(*stored).empty()) << e.section << "/" << e.key;
        if (e.section == "Tooltips") {
            EXPECT_LE(texts.text(e.section, e.key).size(), common::kMaxTooltipLength);
        }
    }
    common::CodePage cp1251("CP1251");
    EXPECT_EQ(cp1251.toUtf8(texts.text("Buttons", "Cancel")), "Отмена");
    EXPECT_EQ(cp1251.toUtf8(texts.text("OptionDialog", "tab")), " Вкладки");
}

TEST(TextHelpers, CaptionsSplitsAndCuts) {
    EXPECT_EQ(common::menuCaption("Leave", "Ctrl+F4"), "Leave\tCtrl+F4");
    EXPECT_EQ(common::statusCaption(common::menuCaption("Available (Normal)", "Ctrl+S")),
              "Available (Norm");
    EXPECT_EQ(common::statusCaption("DND\tCtrl+D"), "DND");
    EXPECT_EQ(common::statusCaption("no tab"), "no tab");
    EXPECT_EQ(common::tooltipText("Copy everything now"), "Copy everything");

    auto parts = common::splitAtPlaceholder("got @ from @ here");
    EXPECT_EQ(parts.before, "got ");
    EXPECT_EQ(parts.after, " from @ here");
    parts = common::splitAtPlaceholder("Message received from");
    EXPECT_EQ(parts.before, "Message received from");
    EXPECT_EQ(parts.after, "");
}

TEST(TextHelpers, ListsTheLanguageFilesButNotTheSettings) {
    TempFolder temp;
    for (const char* name : {"INTERF.INI", "English.ini", "LangRus.INI", "notes.txt", "ini"})
        temp.write(name, "");
    std::filesystem::create_directory(temp.file("folder.ini"));
    EXPECT_EQ(common::listLanguages(temp.folder()),
              (std::vector<std::string>{"English", "LangRus"}));
    EXPECT_TRUE(common::listLanguages(temp.file("none")).empty());
}

} // namespace
