#include "couriel/transfer/receiver.h"
#include "couriel/transfer/sender.h"
#include "platform/hostinfo.h"
#include "platform/stream.h"
#include "tests/couriel/childpeer.h"
#include "tests/couriel/eventloop.h"
#include "tests/couriel/memorystream.h"
#include "tests/couriel/rawpeer.h"
#include "tests/couriel/transferfakes.h"
#include "tests/fakes/tempfolder.h"
#include "tests/fakes/tmpfsmount.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace couriel_test;
using namespace std::chrono_literals;

class TransferFaultTest : public testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        socketsBefore = platform::SocketStartup::live();
    }

    couriel::MessageEvent recordMessages() {
        return [this](const std::string& text) { messages.push_back(text); };
    }
    std::unique_ptr<couriel::Receiver> makeReceiver(const fs::path& folder,
                                                    const platform::HostInfo& hostInfo) {
        auto receiver = std::make_unique<couriel::Receiver>(
            view, couriel::TransferTexts{}, codePage, hostInfo,
            std::make_unique<QuickPauses>(delays), recordMessages(), port);
        receiver->start(folder);
        return receiver;
    }
    std::unique_ptr<couriel::Sender> makeSender() {
        return std::make_unique<couriel::Sender>(view, couriel::TransferTexts{}, codePage,
                                                 std::make_unique<QuickPauses>(delays),
                                                 recordMessages(), port);
    }
    bool shown(const std::string& status) const {
        return std::find(view.statuses.begin(), view.statuses.end(), status) != view.statuses.end();
    }
    // After a broken connection: what the user sees is the broken connection and nothing that
    // reads as a finished transfer.
    void expectNoSuccess(Death death) {
        // Time for a wrong end text or closing to come, should the program go on as if whole.
        runFor(300ms);
        EXPECT_TRUE(shown("Disconnect"));
        EXPECT_EQ(view.overs, 0) << "the end title and the notice to the chat";
        EXPECT_EQ(view.closes, 0);
        if (death == Death::Reset) {
            ASSERT_EQ(messages.size(), 1U) << "one report of the broken connection";
            EXPECT_TRUE(messages[0].starts_with("Socket error WSAECONNRESET")) << messages[0];
        } else {
            EXPECT_TRUE(messages.empty()) << messages[0];
        }
    }

    std::uint16_t port = freeTcpPort();
    common::CodePage codePage{"CP1251"};
    HostWithFreeSpace host;
    RecordingView view;
    std::vector<int> delays;
    std::vector<std::string> messages;
    int socketsBefore = 0;
};

// The sender's program dies after the first part of a file's data: the receiver keeps that
// part under the file's own name (it came under a temporary one), as far as it came, and
// reports the broken connection only.
TEST_F(TransferFaultTest, ASenderThatDiesInTheMiddleOfAFileLeavesThePartAndNoSuccess) {
    for (const Death death : {Death::Reset, Death::OrderlyClose}) {
        SCOPED_TRACE(nameOf(death));
        view = RecordingView();
        messages.clear();
        port = freeTcpPort();
        TempFolder target;
        target.write("old.txt", "untouched");
        const std::string data = patternBytes(300000);
        constexpr std::size_t kPart = 123457;
        auto receiver = makeReceiver(target.folder(), host);

        ChildPeer sender;
        sender.start(sendPartOfAFile(port, "FILE\r300000\rsub\\big.bin\r", data, kPart, death));
        const fs::path partial = fs::path(target.folder()) / "sub/big.bin";
        ASSERT_TRUE(runUntil([&] {
            return sender.reported() && fs::exists(partial.parent_path()) &&
                   bytesBelow(partial.parent_path()) == kPart;
        }));
        ASSERT_TRUE(*sender.reported());
        sender.kill();
        ASSERT_TRUE(runUntil([&] { return shown("Disconnect"); }));
        expectNoSuccess(death);

        EXPECT_EQ(TempFolder::read(partial.string()), data.substr(0, kPart));
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(target.folder())) {
            names.push_back(fs::relative(entry.path(), target.folder()).string());
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"old.txt", "sub", "sub/big.bin"}));
        EXPECT_EQ(TempFolder::read(target.file("old.txt")), "untouched");
        ASSERT_FALSE(view.progress.empty());
        EXPECT_NE(view.progress.back(), 100);

        // The window can be closed: every socket object goes with the receiver.
        receiver.reset();
        runFor(30ms);
        EXPECT_EQ(platform::SocketStartup::live(), socketsBefore);
    }
}

// The receiver's program dies while a file streams to it: the sender stops, shows the
// broken connection, and neither ends the transfer nor closes as after a whole file.
TEST_F(TransferFaultTest, AReceiverThatDiesInTheMiddleOfAFileStopsTheSenderWithoutSuccess) {
    for (const Death death : {Death::Reset, Death::OrderlyClose}) {
        SCOPED_TRACE(nameOf(death));
        view = RecordingView();
        messages.clear();
        TempFolder source;
        // More than loopback's socket buffers hold, so the file cannot be handed over whole
        // once the receiver stops reading.
        source.write("big.bin", "");
        fs::resize_file(source.file("big.bin"), 64 << 20);
        source.write("next.txt", "next");

        const int listener = listeningSocket();
        port = portOf(listener);
        ChildPeer receiver;
        receiver.start(receivePartOfAFile(listener, 100000, death));
        // The child has its own copy; the parent takes no connection.
        ::close(listener);
        auto sender = makeSender();
        view.selection = {"next.txt", "big.bin"};
        sender->start(source.folder(), "127.0.0.1");
        ASSERT_TRUE(runUntil([&] { return receiver.reported().has_value(); }, 30s));
        ASSERT_TRUE(*receiver.reported());
        receiver.kill();
        ASSERT_TRUE(runUntil([&] { return shown("Disconnect"); }));
        expectNoSuccess(death);
        EXPECT_FALSE(sender->client().Connected());

        sender.reset();
        runFor(30ms);
        EXPECT_EQ(platform::SocketStartup::live(), socketsBefore);
    }
}

// The folder the files go to is on a small file system that runs full in the middle of a file.
// Once with the free space asked of the real file system, so that the question comes and is
// answered Yes; once with a host that says there is room (another writer took it meanwhile).
TEST_F(TransferFaultTest, AFullFileSystemNamesTheFileThatCouldNotBeWritten) {
    for (const bool realFreeSpace : {true, false}) {
        SCOPED_TRACE(realFreeSpace ? "free space of the file system" : "free space misjudged");
        view = RecordingView();
        messages.clear();
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
        const platform::HostInfo& freeSpace =
            realFreeSpace ? static_cast<const platform::HostInfo&>(system) : host;
        const auto receiver = makeReceiver(area.folder(), freeSpace);
        RecordingView senderView;
        const auto sender = std::make_unique<couriel::Sender>(
            senderView, couriel::TransferTexts{}, codePage, std::make_unique<QuickPauses>(delays),
            recordMessages(), port);
        senderView.selection = {"small.txt", "big.bin"};
        sender->start(source.folder(), "127.0.0.1");
        ASSERT_TRUE(runUntil([&] { return view.overs == 1; }, 30s));
        runFor(300ms);

        // Asked again for the small file, which finds the file system full.
        EXPECT_EQ(view.questions.size(), realFreeSpace ? 2U : 0U);
        ASSERT_FALSE(view.statuses.empty());
        EXPECT_EQ(view.statuses.back(), "Not received: big.bin, small.txt");
        EXPECT_EQ(view.closes, 0) << "stays open to show what did not arrive";
        const std::string written = TempFolder::read(area.file("big.bin"));
        EXPECT_LT(written.size(), data.size());
        EXPECT_EQ(written, data.substr(0, written.size())) << "what was written is right";
        EXPECT_TRUE(messages.empty());
    }
}

} // namespace
