#include "natterby/transport/udp.h"
#include "tests/fakes/freeport.h"
#include "tests/fakes/qtapplication.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using natterby::transport::UdpTransport;

// A copy of the chat on the test port. Loopback stands in for the broadcast address, which a
// test machine may not route.
struct Peer {
    explicit Peer(std::uint16_t port) {
        transport.setPort(port);
        transport.setBroadcastAddress("127.0.0.1");
    }

    std::vector<std::string> received;
    std::vector<std::uint32_t> sources;
    std::vector<std::string> failures;
    std::function<void()> afterReceive = [] {};
    UdpTransport transport{[this](std::span<char> d, std::uint32_t source) {
                               received.emplace_back(d.begin(), d.end());
                               sources.push_back(source);
                               afterReceive();
                           },
                           [this](std::string_view text) { failures.emplace_back(text); }};
};

class UdpTransportTest : public testing::Test {
protected:
    static void SetUpTestSuite() { fakes::qtApplication(); }

    // Sends a datagram from outside the chat.
    void sendRaw(const std::string& datagram) {
        platform::DatagramSocket socket;
        socket.open();
        socket.connect(0x7F000001, port);
        socket.send(datagram);
    }

    void waitFor(std::size_t count) {
        fakes::waitUntil([&] { return peer.received.size() >= count; }, std::chrono::seconds(5));
        // Whatever else is under way arrives now, so that a test sees extra datagrams too.
        fakes::waitUntil([] { return false; }, std::chrono::milliseconds(50));
    }

    std::uint16_t port = fakes::freePort();
    Peer peer{port};
    UdpTransport& transport = peer.transport;
    std::vector<std::string>& received = peer.received;
};

TEST_F(UdpTransportTest, OnlyWholeDatagramsStartingWithTOrYAreDeliveredAndAHandlerMayClose) {
    transport.open();
    // A second copy on the port fails to bind, once, but still sends.
    Peer second(port);
    second.transport.open();
    EXPECT_EQ(second.failures,
              std::vector<std::string>{"\xCE\xF8\xE8\xE1\xEA\xE0 \xF1\xEE\xE7\xE4"
                                       "\xE0\xED\xE8\xFF \xF1\xE5\xF0\xE2\xE5\xF0\xE0"});
    const std::string longest = "T" + std::string(2048, 'a');
    sendRaw(std::string(3000, 'T')); // too long: dropped, not cut
    sendRaw("T" + std::string(2049, 'b'));
    sendRaw("Xsomething else");
    sendRaw("");
    sendRaw("tlower case");
    sendRaw(longest);
    EXPECT_FALSE(second.transport.sendPacket("Yfrom the second copy"));
    waitFor(2);
    EXPECT_EQ(received, (std::vector<std::string>{longest, "Yfrom the second copy"}));
    EXPECT_EQ(peer.sources, std::vector<std::uint32_t>(2, INADDR_LOOPBACK));
    EXPECT_TRUE(second.received.empty());

    transport.open(); // a second open reports nothing
    EXPECT_TRUE(peer.failures.empty());
    transport.close();
    transport.close();
    EXPECT_FALSE(transport.isOpen());
    EXPECT_FALSE(transport.sendPacket("Tlost")); // silently lost
    // The port is free again for whoever opens next, and a handler may close.
    transport.open();
    peer.afterReceive = [this] { transport.close(); };
    EXPECT_FALSE(transport.sendPacket("Tbye"));
    transport.sendPacket("Tunheard");
    waitFor(3);
    EXPECT_EQ(received.back(), "Tbye");
    EXPECT_FALSE(transport.isOpen());
    EXPECT_TRUE(peer.failures.empty());
}

} // namespace
