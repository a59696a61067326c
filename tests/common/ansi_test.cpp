#include "common/ansi.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>

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
