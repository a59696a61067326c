#include "platform/exitsignals.h"
#include "platform/hostinfo.h"
#include "platform/launcher.h"

#include <QCoreApplication>
#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
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

// What peers see of this computer: the host name up to its first dot, cut to 15 characters, its
// IPv4 addresses, loopback ones only when it has no other, and the one a peer's route leaves
// from. A folder that cannot be asked must not read as one with no (or endless) free space.
TEST(HostInfo, ComputerNameAddressesAndFreeSpaceFollowTheirRules) {
    const platform::SystemHostInfo host;
    const std::string name = host.computerName();
    EXPECT_LE(name.size(), 15u);
    EXPECT_EQ(name.find('.'), std::string::npos) << name;
    const std::vector<std::string> addresses = host.addresses();
    const auto loopback = [](const std::string& address) { return address.starts_with("127."); };
    EXPECT_TRUE(std::all_of(addresses.begin(), addresses.end(), loopback) ||
                std::none_of(addresses.begin(), addresses.end(), loopback));
    for (const std::string& address : addresses) {
        in_addr parsed{};
        EXPECT_EQ(inet_pton(AF_INET, address.c_str(), &parsed), 1) << address;
    }
    EXPECT_EQ(host.addressToward(INADDR_LOOPBACK), "127.0.0.1");
    EXPECT_FALSE(host.freeBytes("/nonexistent/folder").has_value());
}

// The first signal runs the close steps on the event loop; a second one, here while those
// steps still run, ends the process at once instead of waiting for them.
TEST(ExitSignalsDeathTest, TheFirstSignalRunsTheCloseAndASecondEndsAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // this process may have its application
    static int argc = 1;
    static char name[] = "exitsignals";
    static char* argv[] = {name, nullptr};
    const auto signalTwice = [] {
        QCoreApplication application(argc, argv);
        const platform::ExitSignals exitSignals([] { std::raise(SIGHUP); });
        std::raise(SIGTERM);
        QCoreApplication::processEvents();
        std::exit(0); // the close steps never ran, or the second signal went unheard
    };
    EXPECT_EXIT(signalTwice(), testing::ExitedWithCode(128 + SIGHUP), "");
}

} // namespace
