#include "common/profile.h"
#include "tests/fakes/tempfolder.h"

#include <gtest/gtest.h>
#include <optional>

using common::ProfileFile;

namespace {

struct ReadCase {
    const char* name;
    std::optional<std::string> content; // nothing: no file
    const char* section;
    const char* key;
    const char* defaultValue;
    std::string expected;
};

const std::string kLong(3000, 'x');

const ReadCase kReadCases[] = {
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
    for (const ReadCase& c : kReadCases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        std::string path = c.content ? temp.write("a.ini", *c.content) : temp.file("none.ini");
        EXPECT_EQ(ProfileFile(path).readText(c.section, c.key, c.defaultValue), c.expected);
    }
}

struct WriteCase {
    const char* name;
    std::optional<std::string> before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

const WriteCase kWriteCases[] = {
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
    for (const WriteCase& c : kWriteCases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        std::string path = c.before ? temp.write("a.ini", *c.before) : temp.file("new.ini");
        EXPECT_TRUE(ProfileFile(path).writeText(c.section, c.key, c.value));
        EXPECT_EQ(TempFolder::read(path), c.after);
        std::string value = c.value;
        EXPECT_EQ(ProfileFile(path).readText(c.section, c.key, "?"),
                  value.substr(0, value.find_first_of("\r\n")));
    }
}

TEST(ProfileFile, IntegersReadBackSignedAndEachReadSeesTheLastWrite) {
    TempFolder temp;
    ProfileFile file(temp.file("Interf.ini"));
    EXPECT_EQ(file.readInt("View", "Color11", 7), 7);
    EXPECT_TRUE(file.writeInt("View", "Color11", static_cast<std::int32_t>(0x80000005u)));
    EXPECT_EQ(file.readText("View", "Color11", ""), "-2147483643");
    EXPECT_EQ(file.readInt("view", "color11", 0), static_cast<std::int32_t>(0x80000005u));
    EXPECT_TRUE(file.writeText("View", "Tab", "3 tabs"));
    EXPECT_EQ(file.readInt("View", "Tab", 1), 3);
}

TEST(ProfileFile, WriteFailuresReturnFalseAndHugeFilesAreBounded) {
    TempFolder temp;
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
    const common::CodePage cp1251("CP1251");
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

} // namespace
