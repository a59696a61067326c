#include "natterby/archive/archivefile.h"
#include "tests/fakes/tempfolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace natterby::archive;

TEST(ArchiveFile, MarkerLinesSplitRecordsJunkIsSkippedAndAppendsStayWhole) {
    const auto records = parseArchive("junk\r\n*<*\r\n10:00 | 01.01.2026\r\nAnn\r\n*<*\r\n"
                                      "*>*\nshort");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].time, "short"); // cut short: what it has, LF-only ends read too
    EXPECT_EQ(records[0].nick, "");
    EXPECT_EQ(records[1].marker, "*<*"); // a text line that is a marker began this record
    EXPECT_EQ(records[2].nick, "Ann");
    EXPECT_EQ(records[2].text, "");
    EXPECT_TRUE(parseArchive("").empty());

    // An append after a cut line keeps the new record whole; a clear creates no file.
    TempFolder folder;
    const std::string path = folder.file("Message.txt");
    EXPECT_TRUE(clearArchive(path));
    EXPECT_FALSE(std::filesystem::exists(path));
    folder.write("Message.txt", "*<*\r\n09:00 | 01.01.2026\r\nAnn\r\ncut off");
    ASSERT_TRUE(appendArchiveRecord(path, kArchiveSent, "09:01 | 01.01.2026", "Bob", "hi"));
    const auto appended = readArchive(path);
    ASSERT_EQ(appended.size(), 2u);
    EXPECT_EQ(appended[0].nick, "Bob");
    EXPECT_EQ(appended[1].text, "cut off\r\n");
    EXPECT_FALSE(appendArchiveRecord(folder.file("missing/Message.txt"), "*>*", "t", "n", "x"));
}

} // namespace
