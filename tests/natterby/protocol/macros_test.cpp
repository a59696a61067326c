#include "natterby/protocol/layoutswap.h"
#include "natterby/protocol/macros.h"
#include "tests/fakes/tempfolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace natterby::protocol;

TEST(Macros, CaptionGivesTheTextBeforeTheBlankAndTabOfItsShortcut) {
    const std::pair<std::string, std::string> cases[] = {
        {"/me \tCtrl+F1", "/me"}, {" \tShift+F1", ""},         {"no tab", "no tab"},
        {"\tShift+F1", ""},       {"a\tb \tShift+F2", "a\tb"},
    };
    for (const auto& [caption, text] : cases) {
        EXPECT_EQ(macroText(caption), text) << caption;
    }
    const Insertion inserted = insertMacro("ab", 1, "/me");
    EXPECT_EQ(inserted.text, "a/meb");
    EXPECT_EQ(inserted.caret, 4u);
    EXPECT_EQ(insertMacro("ab", 99, "X").text, "abX");
}

TEST(Macros, RecordedLineIsInsertedWholeNowAndAfterARestart) {
    TempFolder folder;
    const common::ProfileFile settingsFile(
        folder.write("Interf.ini", "[Language]\r\nini=English\r\n"));
    EXPECT_FALSE(recordMacro(3, "", settingsFile, folder.folder()));
    const std::optional<std::string> caption =
        recordMacro(3, "see you", settingsFile, folder.folder());
    ASSERT_TRUE(caption);
    EXPECT_EQ(macroText(*caption), "see you");
    const std::vector<std::string> loaded =
        macroCaptions(common::LanguageTexts(folder.file("English.ini")));
    EXPECT_EQ(loaded[2], *caption);
    EXPECT_EQ(loaded[11], " \tShift+F12");

    // Without a language setting, the macro goes to LangRus.ini.
    TempFolder other;
    ASSERT_TRUE(
        recordMacro(12, "bye", common::ProfileFile(other.file("Interf.ini")), other.folder()));
    EXPECT_EQ(common::ProfileFile(other.file("LangRus.ini")).readText("Macros", "F12", ""), "bye");
}

// "привет" and "Привет, мир" in Windows-1251, typed on the other layout.
TEST(LayoutSwap, EveryKeySwapsBothWaysAndOneWayCharactersOnlyOnce) {
    const std::string privet = "\xEF\xF0\xE8\xE2\xE5\xF2";
    EXPECT_EQ(swapKeyboardLayout("ghbdtn"), privet);
    EXPECT_EQ(swapKeyboardLayout(privet), "ghbdtn");
    EXPECT_EQ(swapKeyboardLayout("#`~"), "\xB9\xB8\xA8");
    EXPECT_EQ(swapKeyboardLayout("\xB9\xB8\xA8"), "#`~");
    EXPECT_EQ(swapKeyboardLayout("Ghbdtn, vbh"), "\xCF\xF0\xE8\xE2\xE5\xF2\xE1 \xEC\xE8\xF0");
    // One pass only: '/' becomes '.', which would otherwise become the letter on its key.
    EXPECT_EQ(swapKeyboardLayout("/?&^"), ".,?:");
    EXPECT_EQ(swapKeyboardLayout("1 2\t!"), "1 2\t!");
}

} // namespace
