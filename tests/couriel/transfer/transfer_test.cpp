#include "couriel/transfer/receiver.h"
#include "couriel/transfer/sender.h"
#include "tests/couriel/childpeer.h"
#include "tests/couriel/memorystream.h"
#include "tests/couriel/rawpeer.h"
#include "tests/couriel/transferfakes.h"
#include "tests/fakes/tempfolder.h"
#include "tests/fakes/tmpfsmount.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace couriel_test;
using namespace std::chrono_literals;

class TransferTest : public testing::Test {
protected:
    void SetUp() override { fakes::qtApplication(); }

    couriel::MessageEvent recordMessages() {
        return [this](const std::string& text) { messages.push_back(text); };
    }
    std::unique_ptr<couriel::Receiver> makeReceiver(const fs::path& folder,
                                                    const platform::HostInfo* hostInfo = nullptr) {
        auto receiver = std::make_unique<couriel::Receiver>(
            receiverView, couriel::TransferTexts{}, codePage, hostInfo ? *hostInfo : host,
            std::make_unique<QuickPauses>(receiverDelays), recordMessages(), port);
        receiver->start(folder);
        return receiver;
    }
    std::unique_ptr<couriel::Sender> makeSender() {
        return std::make_unique<couriel::Sender>(senderView, couriel::TransferTexts{}, codePage,
                                                 std::make_unique<QuickPauses>(senderDelays),
                                                 recordMessages(), port);
    }

    // Plays the receiving side from raw bytes: answers each header and stops at the end mark.
    struct RawReceiver {
        RawPeer peer;
        couriel::StreamReader reader;
        std::size_t fed = 0;
        bool accepted = false;
        bool ended = false;

        void poll() {
            if (!accepted && !(accepted = peer.accept())) {
                return;
            }
            peer.drain();
            reader.append(std::string_view(peer.received).substr(fed));
            fed = peer.received.size();
            while (const auto item = reader.next()) {
                if (std::holds_alternative<couriel::StreamReader::Header>(*item)) {
                    peer.write(couriel::kGoAhead);
                }
                ended = ended || std::holds_alternative<couriel::StreamReader::End>(*item);
            }
        }
    };

    std::uint16_t port = freeTcpPort();
    common::CodePage codePage{"CP1251"};
    HostWithFreeSpace host;
    RecordingView senderView;
    RecordingView receiverView;
    std::vector<int> senderDelays;
    std::vector<int> receiverDelays;
    std::vector<std::string> messages;
};

TEST_F(TransferTest, AFolderTreeAnEmptyFileAndAReplacedFileArriveByteForByte) {
    TempFolder source;
    TempFolder target;
    const fs::path from = source.folder();
    fs::create_directories(from / "tree/sub/deeper");
    fs::create_directories(from / "tree/nothing");
    source.write("tree/a.bin", patternBytes(10000));
    source.write("tree/sub/deeper/f.bin", patternBytes(50001));
    source.write("tree/sub/.hidden", "hidden");
    source.write("empty.txt", "");
    source.write("exists.txt", "new");
    target.write("exists.txt", "old content, longer than the new");

    const auto receiver = makeReceiver(target.folder());
    const auto sender = makeSender();
    senderView.selection = {"tree", "empty.txt", "exists.txt"};
    sender->start(from, "127.0.0.1");
    ASSERT_TRUE(waitUntil([&] { return senderView.closes == 1 && receiverView.closes == 1; }));

    EXPECT_EQ(filesBelow(target.folder()), filesBelow(from));
    EXPECT_FALSE(fs::exists(fs::path(target.folder()) / "tree/nothing"));
    EXPECT_EQ(senderView.overs, 1);
    EXPECT_EQ(receiverView.overs, 1);
    EXPECT_EQ(senderView.statuses, std::vector<std::string>{"Connect to "});
    EXPECT_EQ(receiverView.statuses, std::vector<std::string>{"Connect to 127.0.0.1"});
    EXPECT_EQ(receiverView.progress.back(), 0);
    EXPECT_TRUE(std::count(receiverView.progress.begin(), receiverView.progress.end(), 100) > 0);
    // A pause before each file's data, between files, before the end mark, before closing.
    EXPECT_EQ(senderDelays,
              (std::vector<int>{100, 200, 100, 200, 100, 200, 100, 200, 100, 50, 100}));
    EXPECT_EQ(receiverDelays, std::vector<int>{100});
    EXPECT_TRUE(messages.empty());

    // Into the folder they come from: each file is read whole while its copy arrives.
    const std::map<std::string, std::string> before = filesBelow(from);
    senderView = RecordingView();
    receiverView = RecordingView();
    port = freeTcpPort();
    const auto intoItself = makeReceiver(from);
    const auto resender = makeSender();
    senderView.selection = {"tree", "exists.txt"};
    resender->start(from, "127.0.0.1");
    ASSERT_TRUE(waitUntil([&] { return senderView.closes == 1 && receiverView.closes == 1; }));
    EXPECT_EQ(filesBelow(from), before);
}

TEST_F(TransferTest, FilesGoFromTheEndOfTheSelectionAndThoseAHeaderCannotCarryAreNamed) {
    TempFolder source;
    const fs::path from = source.folder();
    source.write("x", "xx");
    source.write("y", "yyy");
    source.write("z", "z");
    source.write("big.bin", "");
    fs::resize_file(from / "big.bin", std::uintmax_t{1} << 31);
    source.write("日本.txt", "j");
    RawReceiver receiver;
    port = receiver.peer.listen();
    const auto sender = makeSender();
    senderView.selection = {"x", "big.bin", "y", "日本.txt", "z", "missing.txt"};
    sender->start(from, "127.0.0.1");
    ASSERT_TRUE(waitUntil([&] {
        receiver.poll();
        return receiver.ended && senderView.overs == 1;
    }));
    runFor(20ms);
    EXPECT_EQ(receiver.peer.received, "FILE\r1\rz\rzFILE\r3\ry\ryyyFILE\r2\rx\rxxEND");
    EXPECT_EQ(senderView.statuses.back(), "Not sent: missing.txt, ??.txt, big.bin");
    EXPECT_EQ(senderView.closes, 0) << "stays open to show what stayed behind";
}

// A receiver on a slow link that reads as the first implementation did: one read of up to
// 4096 bytes at a time, each message taken to be what one read returns, the data counted. Its
// small receive buffer and its pause after each read leave most of a big file waiting in the
// sender's socket when the sender has handed it over. The sender's real pauses must keep every
// header and the end mark in a read of their own all the same.
TEST_F(TransferTest, OnASlowLinkEveryHeaderAndTheEndMarkComeInAReadOfTheirOwn) {
    TempFolder source;
    source.write("big.bin", patternBytes(4 << 20));
    source.write("small.bin", patternBytes(50000));
    const int listener = listeningSocket();
    const int smallBuffer = 4 << 10;
    ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &smallBuffer, sizeof smallBuffer);
    port = portOf(listener);
    ChildPeer receiver;
    receiver.start([listener] {
        const int fd = ::accept(listener, nullptr, nullptr);
        char read[4096];
        int headers = 0;
        long remaining = 0;
        for (;;) {
            const ssize_t n = ::recv(fd, read, sizeof read, 0);
            if (n <= 0) {
                return false;
            }
            const std::string_view bytes(read, static_cast<std::size_t>(n));
            if (remaining > 0) {
                // More than the data's end: a message came with it.
                if (n > remaining) {
                    return false;
                }
                remaining -= n;
            } else if (bytes == "END") {
                return headers == 2;
            } else {
                // A whole header and nothing after it: "FILE" CR size CR name CR.
                const std::size_t sizeEnd = bytes.find('\r', 5);
                if (!bytes.starts_with("FILE\r") || sizeEnd == std::string_view::npos ||
                    bytes.find('\r', sizeEnd + 1) != bytes.size() - 1) {
                    return false;
                }
                remaining = std::strtol(read + 5, nullptr, 10);
                ++headers;
                writeAll(fd, "UPLOADING", 9);
            }
            ::usleep(1000);
        }
    });
    ::close(listener);
    const auto sender = std::make_unique<couriel::Sender>(
        senderView, couriel::TransferTexts{}, codePage, std::make_unique<couriel::TimerPauses>(),
        recordMessages(), port);
    senderView.selection = {"small.bin", "big.bin"};
    sender->start(source.folder(), "127.0.0.1");
    ASSERT_TRUE(waitUntil([&] { return receiver.reported().has_value(); }, 30s));
    EXPECT_TRUE(*receiver.reported());
    EXPECT_EQ(senderView.overs, 1);
}

TEST_F(TransferTest, AHostileSenderWritesNothingOutsideTheFolderAndCorruptsNoFile) {
    TempFolder area;
    const fs::path target = fs::path(area.folder()) / "target";
    const fs::path outside = fs::path(area.folder()) / "outside";
    fs::create_directories(target);
    fs::create_directories(outside);
    area.write("target/keep.txt", "original");
    const auto receiver = makeReceiver(target);
    RawPeer sender;
    ASSERT_TRUE(sender.connect(port));
    // The receiver sends nothing but go-aheads.
    const auto answered = [&](std::size_t goAheads) {
        return waitUntil([&] {
            sender.drain();
            return sender.received.size() >= goAheads * couriel::kGoAhead.size();
        });
    };

    sender.write("FILE\r5\rcoalesced.txt\rhello");
    ASSERT_TRUE(answered(1));
    sender.write("FILE\r3\rspl");
    runFor(30ms);
    sender.write("it.txt\rabc");
    ASSERT_TRUE(answered(2));
    sender.write("FILE\r5\r..\\..\\evil.txt\rEVIL!");
    ASSERT_TRUE(answered(3)) << "a refused file is answered, and its data dropped";
    const std::string absolute = (outside / "abs.txt").string();
    sender.write("FILE\r4\r" + absolute + "\rABS!FILE\r4\rC:\\drive.txt\rDRV!");
    ASSERT_TRUE(answered(5));
    sender.write("FILE\r-5\rneg.txt\r");
    runFor(30ms);
    sender.write("FILE\r3\rkeep.txt\rab");
    ASSERT_TRUE(waitUntil([&] { return receiverView.progress.back() == 67; }));
    EXPECT_EQ(TempFolder::read(target / "keep.txt"), "original") << "replaced once whole";
    sender.write("cEND");
    ASSERT_TRUE(waitUntil([&] { return receiverView.overs == 1; }));
    sender.drain();
    std::string six;
    for (int i = 0; i < 6; ++i) {
        six += couriel::kGoAhead;
    }
    EXPECT_EQ(sender.received, six) << "none for the negative size";

    EXPECT_EQ(filesBelow(area.folder()), (std::map<std::string, std::string>{
                                             {"target/coalesced.txt", "hello"},
                                             {"target/split.txt", "abc"},
                                             {"target/keep.txt", "abc"},
                                             {"target/" + absolute.substr(1), "ABS!"},
                                         }));
    EXPECT_EQ(receiverView.statuses.back(), "Not received: ..\\..\\evil.txt, C:\\drive.txt");
    EXPECT_EQ(receiverView.closes, 0);
}

TEST_F(TransferTest, TooLittleFreeSpaceAsksAndNoLeavesTheHeaderUnanswered) {
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        TempFolder target;
        host.free = 10;
        receiverView = RecordingView();
        receiverView.answerYes = yes;
        port = freeTcpPort();
        const auto receiver = makeReceiver(target.folder());
        RawPeer sender;
        ASSERT_TRUE(sender.connect(port));
        sender.write("FILE\r11\rbig.txt\r");
        ASSERT_TRUE(waitUntil([&] { return !receiverView.questions.empty(); }));
        EXPECT_EQ(receiverView.questions, std::vector<std::string>{"Small space, continue?"});
        runFor(30ms);
        sender.drain();
        if (yes) {
            ASSERT_TRUE(waitUntil([&] {
                sender.drain();
                return sender.received == "UPLOADING";
            }));
            sender.write("eleven byte");
            ASSERT_TRUE(
                waitUntil([&] { return TempFolder::read(target.file("big.txt")).size() == 11; }));
        } else {
            EXPECT_EQ(sender.received, "");
            EXPECT_FALSE(fs::exists(target.file("big.txt")));
        }
    }
}

// The folder the files go to is on a small file system that runs full in the middle of a file.
// Once with the free space asked of the real file system, so that the question comes and is
// answered Yes; once with a host that says there is room (another writer took it meanwhile).
TEST_F(TransferTest, AFullFileSystemNamesTheFileThatCouldNotBeWritten) {
    for (const bool realFreeSpace : {true, false}) {
        SCOPED_TRACE(realFreeSpace ? "free space of the file system" : "free space misjudged");
        receiverView = RecordingView();
        senderView = RecordingView();
        port = freeTcpPort();
        TempFolder source;
        const std::string data = patternBytes(200000);
        source.write("big.bin", data);
        source.write("small.txt", "small");
        TempFolder area;
        const fakes::TmpfsMount small(area.folder(), "size=64k");
        if (!small.error().empty()) {
            GTEST_SKIP() << "cannot mount a small file system here (needs root): " << small.error();
        }
        const platform::SystemHostInfo system;
        const auto receiver = makeReceiver(area.folder(), realFreeSpace ? &system : nullptr);
        const auto sender = makeSender();
        senderView.selection = {"small.txt", "big.bin"};
        sender->start(source.folder(), "127.0.0.1");
        ASSERT_TRUE(waitUntil([&] { return receiverView.overs == 1; }));
        runFor(300ms);

        // Asked again for the small file, which finds the file system full.
        EXPECT_EQ(receiverView.questions.size(), realFreeSpace ? 2U : 0U);
        ASSERT_FALSE(receiverView.statuses.empty());
        EXPECT_EQ(receiverView.statuses.back(), "Not received: big.bin, small.txt");
        EXPECT_EQ(receiverView.closes, 0) << "stays open to show what did not arrive";
        const std::string written = TempFolder::read(area.file("big.bin"));
        EXPECT_LT(written.size(), data.size());
        EXPECT_EQ(written, data.substr(0, written.size())) << "what was written is right";
        EXPECT_TRUE(messages.empty());
    }
}

} // namespace
