// A chat's packets on a real UDP socket: what it sends comes back through the loopback interface,
// which stands in for the broadcast address a test machine may not route.
#include "natterby/transport/udp.h"
#include "tests/fakes/freeport.h"
#include "tests/fakes/lan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void runFor(int milliseconds, const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
}

TEST(ChatOverUdp, AnOwnChatLineComesBackOnceInYourText) {
    static int argc = 1;
    static char name[] = "chat_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);

    fakes::Lan lan;
    fakes::Peer& ann = lan.add("Ann");
    std::vector<std::string> failures;
    natterby::transport::UdpTransport udp(
        [&](std::span<char> d, std::uint32_t source) { ann.chat.receive(d, source); },
        [&](std::string_view text) { failures.emplace_back(text); });
    udp.setPort(fakes::freePort());
    udp.setBroadcastAddress("127.0.0.1");
    udp.open();
    ASSERT_TRUE(failures.empty());

    // The packet goes over the socket instead of the in-memory network.
    ann.framing.send(natterby::protocol::chatLine("#Main", "Ann", "over the wire"), true);
    lan.drop();
    ASSERT_FALSE(udp.sendPacket(ann.sent.back()));
    runFor(5000, [&] { return !ann.view.lines.empty(); });
    runFor(200, [] { return false; }); // a second copy of the line would arrive now
    ASSERT_EQ(ann.view.lines.size(), 1u);
    EXPECT_EQ(ann.view.lines[0].font, natterby::protocol::kOwnFont);
    EXPECT_EQ(ann.view.lines[0].text, "\r[09:05] <Ann>: over the wire");
    udp.close();
}

} // namespace
