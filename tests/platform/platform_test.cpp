#include "platform/exitsignals.h"
#include "platform/hostinfo.h"
#include "platform/launcher.h"
#include "platform/messagechannel.h"
#include "platform/messagefolder.h"
#include "platform/programfolder.h"
#include "tests/fakes/qtapplication.h"
#include "tests/fakes/tempfolder.h"

#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <atomic>
#include <barrier>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using fakes::waitUntil;
using platform::MessageEndpoint;
using Messages = std::vector<std::pair<int, int>>;

TEST(ProgramFolders, AWritableOneIsKeptElseEachUserGetsOneStartedFromThePackagesFiles) {
    struct Case {
        const char* package;
        bool writable;
        const char* xdgDataHome;
        const char* home;
        const char* own;
    };
    const Case cases[] = {
        // A build or portable folder stays the program folder, whatever the environment says.
        {"/home/ann/natterby/", true, "/home/ann/data", "/home/ann", "/home/ann/natterby/"},
        {"/usr/lib/natterby/", false, "/home/ann/data", "/home/ann", "/home/ann/data/natterby/"},
        {"/usr/lib/natterby/", false, "/home/ann/data/", "/home/ann", "/home/ann/data/natterby/"},
        // Unset, empty and relative XDG_DATA_HOME all mean the default under HOME.
        {"/opt/natterby/", false, nullptr, "/home/ann", "/home/ann/.local/share/natterby/"},
        {"/opt/natterby/", false, "", "/home/ann/", "/home/ann/.local/share/natterby/"},
        {"/opt/natterby/", false, "data", "/home/ann", "/home/ann/.local/share/natterby/"},
        // Root can write the package's folder, which still belongs to the package manager.
        {"/usr/lib/natterby/", true, nullptr, "/root", "/root/.local/share/natterby/"},
        // Nowhere else to go: the package folder, whose writes then fail as they always did.
        {"/opt/natterby/", false, nullptr, "", "/opt/natterby/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.package) + (c.writable ? " writable" : " read-only") +
                     " XDG_DATA_HOME=" + (c.xdgDataHome ? c.xdgDataHome : "(unset)") +
                     " HOME=" + c.home);
        const platform::ProgramFolders folders =
            platform::chooseProgramFolders(c.package, c.writable, c.xdgDataHome, c.home);
        EXPECT_EQ(folders.package, c.package);
        EXPECT_EQ(folders.own, c.own);
    }

    // The user's own folder starts from the package's files and never replaces the user's own.
    TempFolder root;
    fs::create_directory(root.file("package"));
    const std::string package = root.file("package") + "/";
    const std::string own = root.file("data/natterby") + "/";
    root.write("package/Interf.ini", "[Net]\r\nIPX=false\r\n");
    root.write("package/LangRus.ini", "[Lang]\r\nLang=Russian\r\n");
    root.write("package/natterby", "program");
    // Installed files are read-only to their users.
    fs::permissions(package + "LangRus.ini", fs::perms::owner_read | fs::perms::group_read);

    platform::prepareOwnFolder({package, own});
    EXPECT_EQ(fs::status(own).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(TempFolder::read(own + "Interf.ini"), "[Net]\r\nIPX=false\r\n");
    EXPECT_EQ(TempFolder::read(own + "LangRus.ini"), "[Lang]\r\nLang=Russian\r\n");
    EXPECT_NE(fs::status(own + "LangRus.ini").permissions() & fs::perms::owner_write,
              fs::perms::none);
    EXPECT_FALSE(fs::exists(own + "natterby"));

    // The user's settings and macros stay; a language the package gained since comes in.
    root.write("data/natterby/Interf.ini", "[Nicks]\r\nCurrent=Ann\r\n");
    root.write("data/natterby/LangRus.ini", "[Macros]\r\nF1=hello\r\n");
    root.write("package/English.ini", "[Lang]\r\nLang=English\r\n");
    platform::prepareOwnFolder({package, own});
    EXPECT_EQ(TempFolder::read(own + "Interf.ini"), "[Nicks]\r\nCurrent=Ann\r\n");
    EXPECT_EQ(TempFolder::read(own + "LangRus.ini"), "[Macros]\r\nF1=hello\r\n");
    EXPECT_EQ(TempFolder::read(own + "English.ini"), "[Lang]\r\nLang=English\r\n");

    // A folder that is its own program folder gets nothing added.
    platform::prepareOwnFolder({own, own});
    EXPECT_EQ(std::distance(fs::directory_iterator(own), fs::directory_iterator()), 3);
}

TEST(Launcher, OnlyExecutableFilesCountAsProgramsAndAFailedStartSaysWhy) {
    const TempFolder temp;
    const std::string folder = fs::path(temp.folder()).parent_path(); // as a search path has it
    const std::string script = temp.write("tool", "#!/bin/sh\n");
    const std::string document = temp.write("notes.txt", "text\n");
    fs::permissions(script, fs::perms::owner_all);

    EXPECT_EQ(platform::findProgram(script, ""), script);
    EXPECT_EQ(platform::findProgram("tool", "/nonexistent:" + folder), script);
    EXPECT_EQ(platform::findProgram(document, folder), "");
    EXPECT_EQ(platform::findProgram("notes.txt", folder), "");
    // A command line with parameters is one name, never split.
    EXPECT_EQ(platform::findProgram("tool --help", folder), "");
    EXPECT_EQ(platform::findProgram("", folder), "");

    // A program that cannot start says why; one that can says nothing.
    platform::SystemLauncher launcher;
    EXPECT_EQ(launcher.startProgram(script, {"an argument"}), std::nullopt);
    const std::optional<std::string> missing = launcher.startProgram(script + "-missing", {});
    ASSERT_TRUE(missing.has_value());
    EXPECT_NE(missing->find("No such file"), std::string::npos) << *missing;
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

constexpr std::uint32_t kMagic = 0x4E424D43;

// A socket of the endpoints' kind at a path, bound and listening, or connected to it; -1 when
// that fails.
int rawSocket(const std::string& path, bool listening) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const auto* name = reinterpret_cast<const sockaddr*>(&address);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | (listening ? 0 : SOCK_NONBLOCK), 0);
    const bool ready = listening ? ::bind(fd, name, sizeof address) == 0 && ::listen(fd, 4) == 0
                                 : ::connect(fd, name, sizeof address) == 0;
    if (!ready) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A record as the endpoints write them.
std::string record(std::uint32_t magic, std::uint32_t kind, int code, int value) {
    const std::array<std::uint32_t, 4> words{magic, kind, static_cast<std::uint32_t>(code),
                                             static_cast<std::uint32_t>(value)};
    return {reinterpret_cast<const char*>(words.data()), sizeof words};
}

class MessageChannelTest : public testing::Test {
protected:
    static void SetUpTestSuite() { fakes::qtApplication(); }

    std::unique_ptr<MessageEndpoint> endpoint(Messages& into) {
        return MessageEndpoint::create(
            [&into](int code, int value) { into.emplace_back(code, value); }, folder.folder());
    }
    std::string path(int number) const {
        return platform::messageSocketPath(folder.folder(), number);
    }

    TempFolder folder;
};

TEST_F(MessageChannelTest, NumbersAreTheLowestFreeAndMessagesArriveInOrderAHandlerMaySendBack) {
    // What a program that died may leave behind: a socket nobody listens on, or a stray file.
    const int dead = rawSocket(path(1), true);
    ASSERT_GE(dead, 0);
    ::close(dead);
    folder.write("natterby-msg-2", "stray");

    Messages atFirst;
    Messages atSecond;
    auto first = endpoint(atFirst);
    std::unique_ptr<MessageEndpoint> second;
    second = MessageEndpoint::create(
        [&](int code, int value) {
            atSecond.emplace_back(code, value);
            if (code == 221) {
                second->send(first->number(), 222, value);
            }
        },
        folder.folder());
    auto third = endpoint(atFirst);
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(first->number(), 1);
    EXPECT_EQ(second->number(), 2);
    EXPECT_EQ(third->number(), 3);
    for (std::size_t part = 0; part < 4; ++part) {
        ASSERT_TRUE(first->send(second->number(), 223, static_cast<int>(part)));
        EXPECT_EQ(atSecond.size(), part + 1);
    }
    // Only the low 16 bits of a target count.
    EXPECT_TRUE(first->send(second->number() + 0x10000, 221, 7));
    EXPECT_EQ(atFirst, (Messages{{222, 7}}));
    EXPECT_EQ(atSecond, (Messages{{223, 0}, {223, 1}, {223, 2}, {223, 3}, {221, 7}}));
    EXPECT_FALSE(first->send(0, 1, 1));
    EXPECT_FALSE(first->send(0x10000, 1, 1));
    EXPECT_FALSE(first->send(4242, 1, 1));

    second.reset();
    EXPECT_FALSE(std::filesystem::exists(path(2)));
    EXPECT_EQ(endpoint(atFirst)->number(), 2);
}

TEST_F(MessageChannelTest, EndlessAnswersAreCutOff) {
    int calls = 0;
    bool endless = true;
    std::unique_ptr<MessageEndpoint> echo;
    echo = MessageEndpoint::create(
        [&](int, int) {
            ++calls;
            if (endless) {
                echo->send(echo->number(), 0, 0);
            }
        },
        folder.folder());
    ASSERT_TRUE(echo);
    echo->setReplyTimeout(std::chrono::milliseconds(100));
    EXPECT_TRUE(echo->send(echo->number(), 0, 0));
    EXPECT_GT(calls, 1);
    EXPECT_LT(calls, 100);
    // The innermost message, given up on, is not handled late.
    endless = false;
    const int before = calls;
    EXPECT_TRUE(echo->send(echo->number(), 0, 0));
    EXPECT_EQ(calls, before + 1);
}

TEST_F(MessageChannelTest, MalformedInputIsDroppedAndSlowSendersAreServed) {
    Messages messages;
    auto own = endpoint(messages);
    ASSERT_TRUE(own);
    // A sender slower than the accept is served once its message comes.
    const int slow = rawSocket(path(own->number()), false);
    QCoreApplication::processEvents();
    const std::string late = record(kMagic, 1, 8, 8);
    ::send(slow, late.data(), late.size(), 0);
    EXPECT_TRUE(waitUntil([&] { return !messages.empty(); }));
    pollfd reply{slow, POLLIN, 0};
    EXPECT_EQ(::poll(&reply, 1, 30000), 1);
    ::close(slow);

    std::vector<int> held;
    for (const std::string& bytes :
         {std::string("short"), record(0xDEADBEEF, 1, 1, 1), record(kMagic, 2, 2, 2),
          record(kMagic, 7, 3, 3), record(kMagic, 1, 4, 4) + "overlong", std::string()}) {
        const int fd = rawSocket(path(own->number()), false);
        ASSERT_GE(fd, 0);
        ::send(fd, bytes.data(), bytes.size(), 0);
        held.push_back(fd);
    }
    // A sender that gave up, and silent connections until the queue is full.
    const int gaveUp = rawSocket(path(own->number()), false);
    const std::string abandoned = record(kMagic, 1, 5, 5);
    ::send(gaveUp, abandoned.data(), abandoned.size(), 0);
    ::close(gaveUp);
    while (held.size() < 100) {
        const int fd = rawSocket(path(own->number()), false);
        if (fd < 0) {
            break;
        }
        held.push_back(fd);
    }
    EXPECT_TRUE(own->send(own->number(), 6, 6));
    EXPECT_EQ(messages, (Messages{{8, 8}, {6, 6}}));
    for (const int fd : held) {
        ::close(fd);
    }
}

TEST_F(MessageChannelTest, AReceiverThatDiesOrAnswersWrongGivesFalse) {
    const int listener = rawSocket(path(500), true);
    ASSERT_GE(listener, 0);
    const std::array<std::string, 4> answers{std::string(), record(0, 2, 1, 1),
                                             record(kMagic, 2, 9, 9), record(kMagic, 2, 1, 1)};
    std::thread receiver([&] {
        for (const std::string& answer : answers) {
            pollfd incoming{listener, POLLIN, 0};
            if (::poll(&incoming, 1, 30000) != 1) {
                return;
            }
            const int fd = ::accept(listener, nullptr, nullptr);
            std::array<char, 16> request{};
            ::recv(fd, request.data(), request.size(), 0);
            if (!answer.empty()) {
                ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
            }
            ::close(fd);
        }
    });
    Messages messages;
    auto own = endpoint(messages);
    std::vector<bool> results;
    for (std::size_t i = 0; own && i < answers.size(); ++i) {
        results.push_back(own->send(500, 1, 1));
    }
    receiver.join();
    ::close(listener);
    EXPECT_EQ(results, (std::vector<bool>{false, false, false, true}));
}

TEST_F(MessageChannelTest, TwoThreadsSendingToEachOtherAtOnceBothGetThrough) {
    constexpr int kRounds = 50;
    std::barrier sync(2);
    std::array<std::atomic<int>, 2> numbers{};
    std::atomic<bool> failed = false;
    std::array<int, 2> delivered{};
    const auto side = [&](int me) {
        Messages received;
        auto own = endpoint(received);
        numbers[me] = own ? own->number() : 0;
        sync.arrive_and_wait();
        for (int round = 0; round < kRounds && numbers[0] != 0 && numbers[1] != 0; ++round) {
            sync.arrive_and_wait();
            if (failed) {
                break;
            }
            delivered[me] += own->send(numbers[1 - me], me, round) ? 1 : 0;
            // The other side's message of this round may still be on its way.
            if (!waitUntil([&] { return received.size() > static_cast<std::size_t>(round); })) {
                failed = true;
            }
        }
    };
    std::unique_ptr<QThread> first(QThread::create(side, 0));
    std::unique_ptr<QThread> second(QThread::create(side, 1));
    first->start();
    second->start();
    ASSERT_TRUE(first->wait(QDeadlineTimer(120000)) && second->wait(QDeadlineTimer(120000)));
    EXPECT_EQ(delivered, (std::array<int, 2>{kRounds, kRounds}));
}

TEST(MessageFolder, IsTheRuntimeFolderElseAPrivateOneUnderTheParent) {
    TempFolder parent;
    EXPECT_EQ(platform::messageFolder(parent.folder(), "/nonexistent"), parent.folder());
    const std::string name = "natterby-" + std::to_string(::geteuid());
    const std::string own = parent.file(name);
    // One that others may enter is closed to them first.
    ASSERT_EQ(::mkdir(own.c_str(), 0755), 0);
    EXPECT_EQ(platform::messageFolder("", parent.folder()), own);
    EXPECT_EQ(platform::messageFolder(parent.file("missing"), parent.folder()), own);
    struct stat status {};
    ASSERT_EQ(::stat(own.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);

    TempFolder occupied;
    occupied.write(name, "not a folder");
    EXPECT_EQ(platform::messageFolder("", occupied.folder()), "");
}

} // namespace
