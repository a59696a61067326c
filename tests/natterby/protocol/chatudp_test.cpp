// One chat on a real UDP socket: what it sends comes back through the loopback interface, which
// stands in for the broadcast address a test machine may not route.
#include "natterby/protocol/chat.h"
#include "natterby/transport/udp.h"
#include "tests/fakes/recordingview.h"
#include "tests/fakes/seams.h"
#include "tests/fakes/tempfolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace natterby::protocol;

// A port that was free a moment ago: bind port 0 and ask the kernel which one it chose.
std::uint16_t freePort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

void ensureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "chat_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }
}

TEST(ChatOverUdp, AnOwnChatLineComesBackOnceInYourText) {
    ensureApplication();
    TempFolder folder;
    natterby::settings::Settings settings;
    settings.nicks.current = "Ann";
    const common::ProfileFile settingsFile(folder.file("Interf.ini"));
    const ChatTexts texts;
    fakes::RecordingView view;
    fakes::RecordingSound sound;
    fakes::RecordingLauncher launcher;
    fakes::FixedHost host;
    fakes::FixedClock clock;
    fakes::RecordingCouriel couriel;
    const common::CodePage codePage("CP1251");
    std::mt19937 random(8198);

    std::unique_ptr<Chat> chat;
    std::vector<std::string> failures;
    natterby::transport::UdpTransport udp(
        [&](std::span<char> datagram) { chat->receive(datagram); },
        [&](std::string_view text) { failures.emplace_back(text); });
    udp.setPort(freePort());
    udp.setBroadcastAddress("127.0.0.1");
    natterby::transport::Framing framing(udp, [&] { return static_cast<int>(random() % 95); });
    chat = std::make_unique<Chat>(
        view, ChatSeams{framing, settings, settingsFile, texts, sound, launcher, host, clock,
                        [&](int bound) { return static_cast<int>(random() % bound); }, couriel,
                        codePage, folder.folder()});
    udp.open();
    ASSERT_TRUE(failures.empty());

    framing.send(chatLine("#Main", "Ann", "over the wire"), true);
    QElapsedTimer timer;
    timer.start();
    while (view.lines.empty() && timer.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    // A second copy of the line would arrive now.
    timer.restart();
    while (timer.elapsed() < 200) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    ASSERT_EQ(view.lines.size(), 1u);
    EXPECT_EQ(view.lines[0].font, kOwnFont);
    EXPECT_EQ(view.lines[0].text, "\r[09:05] <Ann>: over the wire");
    udp.close();
}

} // namespace
