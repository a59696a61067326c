#include "natterby/transport/udp.h"
#include "tests/fakes/freeport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <arpa/inet.h>
#include <functional>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
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
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "transport_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }

    // Sends a datagram from outside the chat.
    void sendRaw(const std::string& datagram) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&a),
                 sizeof a);
        ::close(fd);
    }

    void waitFor(std::size_t count) {
        QElapsedTimer timer;
        timer.start();
        while (peer.received.size() < count && timer.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        // Whatever else is under way arrives now, so that a test sees extra datagrams too.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    std::uint16_t port = fakes::freePort();
    Peer peer{port};
    UdpTransport& transport = peer.transport;
    std::vector<std::string>& received = peer.received;
    std::vector<std::string>& failures = peer.failures;
};

TEST_F(UdpTransportTest, OnlyWholeDatagramsStartingWithTOrYAreDeliveredFromAnySender) {
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
}

TEST_F(UdpTransportTest, OpenTwiceDoesNothingCloseTwiceIsHarmlessAndAHandlerMayClose) {
    transport.open();
    transport.open(); // binding again would fail and be reported
    EXPECT_TRUE(failures.empty());
    transport.close();
    transport.close();
    EXPECT_FALSE(transport.isOpen());
    EXPECT_FALSE(transport.sendPacket("Tlost")); // silently lost

    // The port is free again for whoever opens next.
    transport.open();
    EXPECT_TRUE(transport.isOpen());
    peer.afterReceive = [this] { transport.close(); };
    EXPECT_FALSE(transport.sendPacket("Tbye"));
    transport.sendPacket("Tunheard");
    waitFor(1);
    EXPECT_EQ(received, std::vector<std::string>{"Tbye"});
    EXPECT_FALSE(transport.isOpen());
    EXPECT_TRUE(failures.empty());
}

} // namespace
