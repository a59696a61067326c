#include "platform/stream.h"
#include "tests/couriel/childpeer.h"
#include "tests/couriel/exchangetestbed.h"
#include "tests/couriel/memorystream.h"

#include <QLabel>
#include <QMessageBox>
#include <algorithm>
#include <filesystem>
#include <map>

namespace {

namespace fs = std::filesystem;
using namespace couriel_test;
using couriel::Side;

// A window whose peer's program dies in the middle of a file: the window shows the broken
// connection, never the end title, tells the chat nothing until it is closed, and closes and
// goes away cleanly, leaving what arrived of the file.
class WindowFaultTest : public testing::Test {
protected:
    ~WindowFaultTest() override { fakes::deletePendingWidgets(); }

    std::unique_ptr<Copy> start(Side side, const TempFolder& programFolder,
                                const std::string& folder) {
        programFolder.write("Interf.ini", "[Exchange]\r\nDir=" + folder + "\r\n");
        return std::make_unique<Copy>(messages.folder(), chat.number(), side,
                                      programFolder.folder(), port);
    }
    QString status(const Copy& copy) const { return copy.child<QLabel>("status")->text(); }
    bool noticed(int code) const {
        return std::any_of(chat.notices.begin(), chat.notices.end(),
                           [&](const auto& notice) { return notice.first == code; });
    }
    void expectBrokenAndCloseCleanly(std::unique_ptr<Copy>& copy, const QString& title,
                                     Death death) {
        ASSERT_TRUE(waitUntil([&] { return status(*copy) == "Disconnect"; }));
        // Time for a wrong end title or closing to come.
        runFor(std::chrono::milliseconds(300));
        EXPECT_EQ(copy->window->windowTitle(), title);
        EXPECT_TRUE(copy->window->isVisible());
        EXPECT_FALSE(noticed(couriel::kNoticeOver));
        // A reset is a socket error, an orderly close is none.
        const auto boxes = copy->window->findChildren<QMessageBox*>("message");
        ASSERT_EQ(boxes.size(), death == Death::Reset ? 1 : 0);
        if (death == Death::Reset) {
            EXPECT_TRUE(boxes[0]->text().startsWith("Socket error WSAECONNRESET"));
        }
        copy->window->close();
        EXPECT_TRUE(noticed(couriel::kNoticeOver)) << "closing tells the chat";
        copy.reset();
        fakes::deletePendingWidgets();
        EXPECT_TRUE(waitUntil([&] { return platform::SocketStartup::live() == sockets; }));
    }

    QApplication& application = fakes::qtApplication();
    TempFolder messages;
    TempFolder program;
    ChatEnd chat{messages.folder()};
    std::uint16_t port = freeTcpPort();
    const int sockets = platform::SocketStartup::live();
};

// What arrived stays under the file's own name (it came under a temporary one), as far as it
// came; nothing else in the folder is touched.
TEST_F(WindowFaultTest, TheReceivingWindowOfASenderThatDiedShowsItAndCloses) {
    for (const Death death : {Death::Reset, Death::OrderlyClose}) {
        SCOPED_TRACE(nameOf(death));
        chat.notices.clear();
        port = freeTcpPort();
        TempFolder target;
        target.write("old.txt", "untouched");
        auto copy = start(Side::Receiving, program, target.folder());
        copy->button("ready")->click();
        const QString title = copy->window->windowTitle();
        const std::string data = patternBytes(300000);
        constexpr std::size_t kPart = 123457;
        ChildPeer sender;
        sender.start(sendPartOfAFile(port, "FILE\r300000\rsub\\big.bin\r", data, kPart, death));
        const fs::path sub = fs::path(target.folder()) / "sub";
        ASSERT_TRUE(waitUntil(
            [&] { return sender.reported() && fs::exists(sub) && bytesBelow(sub) == kPart; }));
        ASSERT_TRUE(*sender.reported());
        sender.kill();
        expectBrokenAndCloseCleanly(copy, title, death);
        EXPECT_EQ(filesBelow(target.folder()),
                  (std::map<std::string, std::string>{{"old.txt", "untouched"},
                                                      {"sub/big.bin", data.substr(0, kPart)}}));
    }
}

TEST_F(WindowFaultTest, TheSendingWindowOfAReceiverThatDiedShowsItAndCloses) {
    for (const Death death : {Death::Reset, Death::OrderlyClose}) {
        SCOPED_TRACE(nameOf(death));
        chat.notices.clear();
        TempFolder source;
        source.write("big.bin", "");
        // More than the socket buffers hold, so that it cannot all be handed over.
        fs::resize_file(source.file("big.bin"), 64 << 20);
        const int listener = listeningSocket();
        port = portOf(listener);
        ChildPeer receiver;
        receiver.start(receivePartOfAFile(listener, 100000, death));
        ::close(listener);

        auto copy = start(Side::Sending, program, source.folder());
        const QString title = copy->window->windowTitle();
        chat.sendAddress(copy->link.ownWindow(), {127, 0, 0, 1});
        copy->select({"big.bin"});
        copy->button("send")->click();
        ASSERT_TRUE(waitUntil([&] { return receiver.reported().has_value(); }));
        ASSERT_TRUE(*receiver.reported());
        receiver.kill();
        expectBrokenAndCloseCleanly(copy, title, death);
    }
}

} // namespace
