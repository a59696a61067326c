#include "natterby/windows/archivefile.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

using namespace natterby::archive;

class ArchiveFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("archive-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        path_ = (folder_ / "Message.txt").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string content() const {
        std::ifstream file(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path folder_;
    std::string path_;
};

TEST_F(ArchiveFile, RecordsReadBackNewestFirstWithTheirLines) {
    ASSERT_TRUE(appendArchiveRecord(path_, kArchiveSent, "09:05 | 06.12.2026", "Bob", "one"));
    ASSERT_TRUE(
        appendArchiveRecord(path_, kArchiveReceived, "09:06 | 06.12.2026", "Ann", "two\r\nlines"));
    ASSERT_TRUE(appendArchiveRecord(path_, kArchiveSent, "09:07 | 06.12.2026", "Cy", "three"));
    EXPECT_EQ(content().substr(0, 35), "*>*\r\n09:05 | 06.12.2026\r\nBob\r\none\r\n");

    const auto records = readArchive(path_);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].nick, "Cy");
    EXPECT_EQ(records[1].marker, "*<*");
    EXPECT_EQ(records[1].time, "09:06 | 06.12.2026");
    EXPECT_EQ(records[1].text, "two\r\nlines\r\n");
    EXPECT_EQ(records[2].text, "one\r\n");
}

TEST_F(ArchiveFile, MarkerLinesSplitRecordsAndJunkIsSkipped) {
    const auto records = parseArchive("junk\r\n*<*\r\n10:00 | 01.01.2026\r\nAnn\r\n*<*\r\n"
                                      "*>*\nshort");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].time, "short"); // cut short: what it has, LF-only ends read too
    EXPECT_EQ(records[0].nick, "");
    EXPECT_EQ(records[1].marker, "*<*"); // a text line that is a marker began this record
    EXPECT_EQ(records[2].nick, "Ann");
    EXPECT_EQ(records[2].text, "");
    EXPECT_TRUE(parseArchive("").empty());
}

TEST_F(ArchiveFile, AppendAfterACutLineKeepsTheNewRecordWhole) {
    {
        std::ofstream file(path_, std::ios::binary);
        file << "*<*\r\n09:00 | 01.01.2026\r\nAnn\r\ncut off";
    }
    ASSERT_TRUE(appendArchiveRecord(path_, kArchiveSent, "09:01 | 01.01.2026", "Bob", "hi"));
    const auto records = readArchive(path_);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].nick, "Bob");
    EXPECT_EQ(records[1].text, "cut off\r\n");
}

TEST_F(ArchiveFile, ClearEmptiesAnExistingFileAndCreatesNone) {
    EXPECT_TRUE(clearArchive(path_));
    EXPECT_FALSE(std::filesystem::exists(path_));
    ASSERT_TRUE(appendArchiveRecord(path_, kArchiveSent, "t", "n", "x"));
    EXPECT_TRUE(clearArchive(path_));
    EXPECT_EQ(std::filesystem::file_size(path_), 0u);
    EXPECT_TRUE(readArchive(path_).empty());
    EXPECT_FALSE(
        appendArchiveRecord((folder_ / "missing" / "Message.txt").string(), "*>*", "t", "n", "x"));
}

} // namespace
