#include "common/ansi.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>
#include <tuple>

using common::CodePage;

namespace {

TEST(CodePage, Cp1251RoundTripsCyrillic) {
    CodePage cp("CP1251");
    const std::string ansi = "\xCF\xF0\xE8\xE2\xE5\xF2, \xB8\xC0!"; // Привет, ёА!
    EXPECT_EQ(cp.toUtf8(ansi), "Привет, ёА!");
    EXPECT_EQ(cp.fromUtf8("Привет, ёА!"), ansi);
    std::string all;
    for (int b = 0; b < 256; ++b)
        if (b != 0x98) // undefined in Windows-1251
            all.push_back(static_cast<char>(b));
    EXPECT_EQ(cp.fromUtf8(cp.toUtf8(all)), all);
    EXPECT_EQ(cp.toUtf8("\x98"), "\xEF\xBF\xBD");
}

TEST(CodePage, WhatCannotBeConvertedBecomesAQuestionMark) {
    CodePage cp("CP1251");
    EXPECT_EQ(cp.fromUtf8("a日b"), "a?b");
    EXPECT_EQ(cp.fromUtf8("\xFF\xC3"), "??");      // not UTF-8
    EXPECT_EQ(cp.fromUtf8("\xED\xA0\x80"), "???"); // a surrogate
    EXPECT_EQ(cp.fromUtf8("\xC0\xAF"), "??");      // overlong
    EXPECT_EQ(cp.fromUtf8(std::string("x\0y", 3)), std::string("x\0y", 3));
}

// Each code page folds its own letters, whatever locale the program runs under.
TEST(CodePage, LettersFoldAsTheCodePageHasThem) {
    const std::tuple<const char*, std::string, std::string, bool> cases[] = {
        {"CP1251", "\xC0\xED\xFF", "\xC0\xCD\xDF", true},           // Аня, АНЯ
        {"CP1251", "\xA8\xEB\xA1\x80", "\xB8\xCB\xA2\x90", true},   // ЁлЎЂ, ёЛўђ
        {"CP1251", "\xC0\xED\xFF", "\xC0\xED\xE0", false},          // Аня, Ана
        {"CP1251", "\xB5", "\xEC", false},                          // µ, м
        {"KOI8-R", "\xF1", "\xD1", true},                           // Я, я
        {"CP1252", "\xC9t\xE9\x8A\xFF", "\xE9T\xC9\x9A\x9F", true}, // ÉtéŠÿ, éTÉšŸ
    };
    for (const auto& [page, a, b, same] : cases)
        EXPECT_EQ(CodePage(page).sameIgnoringCase(a, b), same) << page << " " << a;
}

// Only a single-byte code page is taken, from the environment or by name.
TEST(CodePage, EnvironmentChoosesASingleByteCodePageElseCp1251) {
    using Row = std::pair<const char*, const char*>;
    for (const auto& [set, chosen] :
         {Row{nullptr, "CP1251"}, Row{"", "CP1251"}, Row{"KOI8-R", "KOI8-R"},
          Row{"UTF-8", "CP1251"}, Row{"bogus", "CP1251"}}) {
        set ? ::setenv("NATTERBY_CODEPAGE", set, 1) : ::unsetenv("NATTERBY_CODEPAGE");
        EXPECT_EQ(CodePage::fromEnvironment().name(), chosen) << (set ? set : "(unset)");
    }
    ::unsetenv("NATTERBY_CODEPAGE");
    EXPECT_EQ(CodePage("KOI8-R").fromUtf8("Я"), "\xF1");
    EXPECT_THROW(CodePage("UTF-8"), std::invalid_argument);
}

} // namespace
