// A chat's packets on a real UDP socket: what it sends comes back through the loopback interface,
// which stands in for the broadcast address a test machine may not route.
#include "natterby/transport/udp.h"
#include "tests/fakes/freeport.h"
#include "tests/fakes/lan.h"
#include "tests/fakes/qtapplication.h"

#include <gtest/gtest.h>

namespace {

TEST(ChatOverUdp, AnOwnChatLineComesBackOnceInYourText) {
    fakes::qtApplication();
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
    fakes::waitUntil([&] { return !ann.view.lines.empty(); }, std::chrono::seconds(5));
    // A second copy of the line would arrive now.
    fakes::waitUntil([] { return false; }, std::chrono::milliseconds(200));
    ASSERT_EQ(ann.view.lines.size(), 1u);
    EXPECT_EQ(ann.view.lines[0].font, natterby::protocol::kOwnFont);
    EXPECT_EQ(ann.view.lines[0].text, "\r[09:05] <Ann>: over the wire");
    udp.close();
}

} // namespace
