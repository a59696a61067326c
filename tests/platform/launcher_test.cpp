#include "platform/hostinfo.h"
#include "platform/launcher.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(Launcher, OnlyExecutableFilesCountAsProgramsAndAFailedStartSaysWhy) {
    const auto folder = std::filesystem::temp_directory_path() / "launcher-test";
    std::filesystem::create_directories(folder);
    const std::string script = (folder / "tool").string();
    const std::string document = (folder / "notes.txt").string();
    std::ofstream(script) << "#!/bin/sh\n";
    std::ofstream(document) << "text\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);

    EXPECT_EQ(platform::findProgram(script, ""), script);
    EXPECT_EQ(platform::findProgram("tool", "/nonexistent:" + folder.string()), script);
    EXPECT_EQ(platform::findProgram(document, folder.string()), "");
    EXPECT_EQ(platform::findProgram("notes.txt", folder.string()), "");
    // A command line with parameters is one name, never split.
    EXPECT_EQ(platform::findProgram("tool --help", folder.string()), "");
    EXPECT_EQ(platform::findProgram("", folder.string()), "");

    // A program that cannot start says why; one that can says nothing.
    platform::SystemLauncher launcher;
    EXPECT_EQ(launcher.startProgram(script, {"an argument"}), std::nullopt);
    const std::optional<std::string> missing = launcher.startProgram(script + "-missing", {});
    ASSERT_TRUE(missing.has_value());
    EXPECT_NE(missing->find("No such file"), std::string::npos) << *missing;
    std::filesystem::remove_all(folder);
}

// A folder that cannot be asked must not read as one with no (or endless) free space.
TEST(HostInfo, FreeSpaceOfAMissingFolderIsUnknown) {
    EXPECT_FALSE(platform::SystemHostInfo().freeBytes("/nonexistent/folder").has_value());
}

} // namespace
