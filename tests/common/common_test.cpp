#include "common/ansi.h"
#include "common/profile.h"
#include "common/texts.h"
#include "tests/fakes/tempfolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <stdexcept>
#include <tuple>

namespace {

using common::CodePage;
using common::LanguageTexts;
using common::ProfileFile;
using common::TextKind;

TEST(CodePage, Cp1251RoundTripsCyrillicAndWhatCannotBeConvertedBecomesAQuestionMark) {
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

// A row of the read and of the write table: a read of `value` as the default gives `expected`;
// a write of `value` leaves `expected` as the file.
struct ProfileCase {
    const char* name;
    std::optional<std::string> file; // nothing: no file
    const char* section;
    const char* key;
    const char* value;
    std::string expected;
};

const std::string kLong(3000, 'x');

const ProfileCase kReadCases[] = {
    {"names ignore case", "[Net]\r\nIPX=false\r\n", "nET", "ipx", "d", "false"},
    {"LF line ends", "[Net]\nIPX=false\n", "Net", "IPX", "d", "false"},
    {"last line without line end", "[Net]\r\nIPX=false", "Net", "IPX", "d", "false"},
    {"blanks around value and key", "[S]\n  K \t=  v a \t\n", "S", "K", "d", "v a"},
    {"blanks inside brackets", "[ S ]\nK=v\n", "S", "K", "d", "v"},
    {"double quotes dropped", "[S]\nK=\" x \"\n", "S", "K", "d", " x "},
    {"single quotes dropped", "[S]\nK='y'\n", "S", "K", "d", "y"},
    {"unmatched quotes kept", "[S]\nK=\"y'\n", "S", "K", "d", "\"y'"},
    {"inner quotes kept", "[SysMes]\nOffline=in \"Offline\"\n", "SysMes", "Offline", "d",
     "in \"Offline\""},
    {"present empty value", "[S]\nK=\n", "S", "K", "d", ""},
    {"default trailing blanks dropped", "[S]\n", "S", "K", " Connect to  ", " Connect to"},
    {"missing file gives default", std::nullopt, "S", "K", "d", "d"},
    {"missing section", "[T]\nK=v\n", "S", "K", "d", "d"},
    {"key of another section", "[A]\nK=1\n[B]\nL=2\n", "B", "K", "d", "d"},
    {"key before any section", "K=top\n[S]\nL=1\n", "S", "K", "d", "d"},
    {"comments and junk ignored", "[S]\n;K=c\njunk line\n[broken\nK=v\n", "S", "K", "d", "v"},
    {"first key of a name wins", "[S]\nK=1\nk=2\n", "S", "K", "d", "1"},
    {"first section of a name wins", "[S]\nK=1\n[T]\n[s]\nK=2\n", "S", "K", "d", "1"},
    {"value cut to 2047", "[S]\nK=" + kLong + "\n", "S", "K", "d", kLong.substr(0, 2047)},
    {"default cut to 2047", "", "S", "K", kLong.c_str(), kLong.substr(0, 2047)},
    {"binary junk", std::string("\0\xFF[S]\0\n[S]\nK=\x01\0\n", 17), "S", "K", "d",
     std::string("\x01\0", 2)},
};

TEST(ProfileFile, ReadsFollowTheWindowsRules) {
    for (const ProfileCase& c : kReadCases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        std::string path = c.file ? temp.write("a.ini", *c.file) : temp.file("none.ini");
        EXPECT_EQ(ProfileFile(path).readText(c.section, c.key, c.value), c.expected);
    }
}

const ProfileCase kWriteCases[] = {
    {"first write creates CRLF file", std::nullopt, "Net", "IPX", "false",
     "[Net]\r\nIPX=false\r\n"},
    {"replace keeps other lines", "[S]\r\nK=1\r\nL=2\r\n", "s", "k", "5", "[S]\r\nK=5\r\nL=2\r\n"},
    {"replace keeps the line's own end", "[S]\r\nK=1\nL=2", "S", "K", "5", "[S]\r\nK=5\nL=2"},
    {"insert at end of section", "; top\n[A]\nX=1\n\n; about B\n[B]\nY=2\n", "a", "Z", "3",
     "; top\n[A]\nX=1\nZ=3\n\n; about B\n[B]\nY=2\n"},
    {"insert after header of empty section", "[A]\r\n[B]\r\nY=2\r\n", "A", "Z", "3",
     "[A]\r\nZ=3\r\n[B]\r\nY=2\r\n"},
    {"append section LF", "[A]\nX=1\n", "B", "Y", "2", "[A]\nX=1\n[B]\nY=2\n"},
    {"append after unended line", "[A]\r\nX=1", "A", "Z", "2", "[A]\r\nX=1\r\nZ=2\r\n"},
    {"key before sections is not the key", "K=0\r\n[S]\r\n", "S", "K", "1",
     "K=0\r\n[S]\r\nK=1\r\n"},
    {"line breaks in a value cut it", "", "S", "K", "a\r\nb", "[S]\r\nK=a\r\n"},
};

TEST(ProfileFile, AWriteChangesOnlyItsLine) {
    for (const ProfileCase& c : kWriteCases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        std::string path = c.file ? temp.write("a.ini", *c.file) : temp.file("new.ini");
        EXPECT_TRUE(ProfileFile(path).writeText(c.section, c.key, c.value));
        EXPECT_EQ(TempFolder::read(path), c.expected);
        std::string value = c.value;
        EXPECT_EQ(ProfileFile(path).readText(c.section, c.key, "?"),
                  value.substr(0, value.find_first_of("\r\n")));
    }
}

TEST(ProfileFile, IntegersReadBackSignedWriteFailuresReturnFalseAndHugeFilesAreBounded) {
    TempFolder temp;
    ProfileFile file(temp.file("Interf.ini"));
    EXPECT_EQ(file.readInt("View", "Color11", 7), 7);
    EXPECT_TRUE(file.writeInt("View", "Color11", static_cast<std::int32_t>(0x80000005u)));
    EXPECT_EQ(file.readText("View", "Color11", ""), "-2147483643");
    EXPECT_EQ(file.readInt("view", "color11", 0), static_cast<std::int32_t>(0x80000005u));
    EXPECT_TRUE(file.writeText("View", "Tab", "3 tabs"));
    EXPECT_EQ(file.readInt("View", "Tab", 1), 3);
    EXPECT_FALSE(ProfileFile(temp.file("missing/Interf.ini")).writeText("S", "K", "v"));
    std::string huge = "[S]\nK=v\n" + std::string(5 * 1024 * 1024, '\0');
    ProfileFile big(temp.write("big.ini", huge));
    EXPECT_EQ(big.readText("S", "K", "d"), "v");
    EXPECT_FALSE(big.writeText("S", "K", "w"));
    EXPECT_EQ(TempFolder::read(big.path()).size(), huge.size());
}

TEST(ValueKinds, ReadTheStoredForms) {
    const std::pair<const char*, std::uint32_t> hexes[] = {{"8199", 0x8199},  {"81A0", 0x81A0},
                                                           {"$8199", 0x8199}, {"81a0g1", 0x81A0},
                                                           {"zz", 0},         {"", 0}};
    for (const auto& [text, hex] : hexes)
        EXPECT_EQ(common::parseHex(text), hex) << text;
    for (const auto& [text, number] : {std::pair{"8198", 8198}, {"-12x", -12}, {"abc", 0}, {"", 5}})
        EXPECT_EQ(common::parseInt(text, 5), number) << text;
    // Bob, Ann, Аня and Ёлка in Windows-1251, found in any letter case.
    const CodePage cp1251("CP1251");
    const std::tuple<const char*, const char*, bool> ignored[] = {
        {"#Bob#Ann#\xC0\xED\xFF#\xA8\xEB\xEA\xE0#", "Ann", true},
        {"#Bob#", "bob", true},
        {"#\xC0\xED\xFF#", "\xC0\xCD\xDF", true},
        {"#\xA8\xEB\xEA\xE0#", "\xB8\xEB\xEA\xE0", true},
        {"#Bob#", "Bo", false},
        {"#\xC0\xED\xFF#", "\xC0\xED", false},
        {"#Ann#\xC0\xED\xFF#", "Ann#\xC0", false},
        {"#", "Bob", false}};
    for (const auto& [list, nick, has] : ignored)
        EXPECT_EQ(common::ignoreListHas(list, nick, cp1251), has) << list << " " << nick;
}

const std::string kLangRus = NATTERBY_SOURCE_DIR "/data/LangRus.ini";

TEST(BuiltInTexts, AreOneTableLookedUpWithoutCase) {
    std::set<std::string> seen;
    for (const auto& e : common::builtInTexts()) {
        std::string id = std::string(e.section) + "/" + std::string(e.key);
        for (char& c : id)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(seen.insert(id).second) << "twice: " << id;
    }
    EXPECT_EQ(common::builtInText("sysmes", "OFFLINE"), "in \"Offline\"");
    EXPECT_FALSE(common::builtInText("Macros", "F13"));
}

TEST(LanguageTexts, AFileChangesOnlyTheKeysItHoldsAndAMissingOneNothing) {
    TempFolder temp;
    LanguageTexts missing(common::languageFilePath(temp.folder(), ""));
    EXPECT_EQ(missing.file().path(), temp.folder() + ".ini");
    EXPECT_EQ(missing.text("Exchange", "ConnectTo"), "Connect to"); // a default's blank goes
    EXPECT_EQ(missing.text("Exchange", "Wait", "Couriel  "), "Couriel");
    EXPECT_EQ(missing.text("No", "Such"), "");
    LanguageTexts texts(temp.write("English.ini", "[SysMes]\r\nLeaveShe=left\r\n"));
    for (const auto& e : common::builtInTexts()) {
        std::string expected = common::defaultToText(e.text);
        if (e.section == "SysMes" && e.key == "LeaveShe")
            expected = "left";
        EXPECT_EQ(texts.text(e.section, e.key), expected) << e.section << "/" << e.key;
    }
}

TEST(LanguageTexts, LangRusTranslatesEveryInterfaceText) {
    std::string content = TempFolder::read(kLangRus);
    for (std::size_t lf = content.find('\n'); lf != std::string::npos;
         lf = content.find('\n', lf + 1))
        ASSERT_TRUE(lf > 0 && content[lf - 1] == '\r') << "LF without CR at byte " << lf;

    LanguageTexts texts(kLangRus);
    EXPECT_EQ(texts.text("Lang", "Lang"), "Russian");
    for (const auto& e : common::builtInTexts()) {
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
    CodePage cp1251("CP1251");
    EXPECT_EQ(cp1251.toUtf8(texts.text("Buttons", "Cancel")), "Отмена");
    EXPECT_EQ(cp1251.toUtf8(texts.text("OptionDialog", "tab")), " Вкладки");
}

TEST(TextHelpers, CaptionsSplitsCutsAndLanguageFilesButNotTheSettings) {
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

    TempFolder temp;
    for (const char* name : {"INTERF.INI", "English.ini", "LangRus.INI", "notes.txt", "ini"})
        temp.write(name, "");
    std::filesystem::create_directory(temp.file("folder.ini"));
    EXPECT_EQ(common::listLanguages(temp.folder()),
              (std::vector<std::string>{"English", "LangRus"}));
    EXPECT_TRUE(common::listLanguages(temp.file("none")).empty());
}

} // namespace
