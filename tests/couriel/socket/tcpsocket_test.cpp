#include "couriel/socket/tcpserver.h"
#include "platform/wsaerrors.h"
#include "tests/couriel/memorystream.h"
#include "tests/couriel/rawpeer.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace couriel_test;
using namespace std::chrono_literals;
using couriel::TcpClient;
using couriel::TcpSocket;

// Big enough that the loopback buffers of both ends are full long before the stream ends.
constexpr std::size_t kBeyondBuffers = 16 << 20;

class TcpSocketTest : public testing::Test {
protected:
    void SetUp() override {
        fakes::qtApplication();
        server.setPort(port);
        client.setHost("127.0.0.1");
        client.setPort(port);
        client.OnError = [this](TcpSocket&, int code) { errors.push_back(code); };
    }

    // The client connected to a raw peer, which reads only when the test drains it.
    void connectToRawPeer() {
        client.setPort(peer.listen());
        client.OnConnect = [this](TcpClient&) { ++connects; };
        client.Connect();
        EXPECT_TRUE(client.Active()) << "while it connects";
        ASSERT_TRUE(waitUntil([&] { return client.Connected(); }));
        EXPECT_FALSE(client.Active());
        EXPECT_EQ(connects, 1);
        ASSERT_TRUE(peer.accept());
    }
    // A raw peer connected to the listening server, and the server's client for it.
    TcpClient& serverClientOf(RawPeer& sender) {
        server.Listen();
        EXPECT_TRUE(sender.connect(port));
        const std::size_t before = server.clients().size();
        EXPECT_TRUE(waitUntil([&] { return server.clients().size() > before; }));
        return *server.clients().back();
    }

    std::vector<std::string> messages;
    std::vector<int> errors;
    int connects = 0;
    const couriel::MessageEvent record = [this](const std::string& text) {
        messages.push_back(text);
    };
    std::uint16_t port = freeTcpPort();
    couriel::TcpServer server{record};
    TcpClient client{record};
    RawPeer peer;
};

TEST_F(TcpSocketTest, BadAddressesFailInTheCheckAndARefusalIsShownWithItsCodeNameAndSocket) {
    bool connected = false;
    client.OnConnect = [&](TcpClient&) { connected = true; };
    for (const std::string host : {"255.255.255.255", "couriel.example", ""}) {
        errors.clear();
        client.setHost(host);
        client.Connect();
        EXPECT_EQ(errors, std::vector<int>{platform::kWsaEAddrNotAvail}) << host;
        EXPECT_FALSE(client.Active());
        EXPECT_EQ(client.handle(), -1);
    }
    EXPECT_TRUE(messages.empty());

    // Nobody listens on the port; without an error handler the refusal becomes a message.
    client.OnError = nullptr;
    client.setHost("127.0.0.1");
    client.Connect();
    const std::string handle = std::to_string(client.handle());
    ASSERT_TRUE(waitUntil([&] { return !messages.empty(); }));
    runFor(20ms);
    EXPECT_EQ(messages,
              std::vector<std::string>{"Socket error WSAECONNREFUSED on socket " + handle});
    EXPECT_FALSE(connected);
    EXPECT_FALSE(client.Active());
    EXPECT_EQ(client.handle(), -1) << "the abandoned attempt's socket is closed";
}

TEST_F(TcpSocketTest, AStreamGoesWholeAndInOrderWhileASecondOneIsRefusedAnEmptyOneAtOnce) {
    connectToRawPeer();
    const std::string bytes = patternBytes(kBeyondBuffers);
    MemoryStream stream(bytes);
    ASSERT_TRUE(client.SendStream(stream));
    ASSERT_TRUE(client.IsSending()) << "the first pass stops where the socket would block";

    MemoryStream second("other");
    EXPECT_FALSE(client.SendStream(second));
    // The text goes between two pieces of the stream, as soon as the socket takes it.
    client.SendText("END");

    ASSERT_TRUE(waitUntil([&] {
        peer.drain();
        return peer.received.size() >= bytes.size() + 3;
    }));
    const std::size_t at = peer.received.find("END");
    ASSERT_NE(at, std::string::npos);
    EXPECT_TRUE(peer.received.substr(0, at) + peer.received.substr(at + 3) == bytes);
    EXPECT_FALSE(client.IsSending());

    // An empty stream ends at once, with one progress that sees no stream.
    std::vector<bool> sendingAtProgress;
    client.OnSendProgress = [&](TcpClient& c) { sendingAtProgress.push_back(c.IsSending()); };
    MemoryStream empty("");
    EXPECT_TRUE(client.SendStream(empty));
    EXPECT_EQ(sendingAtProgress, std::vector<bool>{false});
}

TEST_F(TcpSocketTest, WhenDeliveredWaitsForTheAcknowledgementAndGivesUpWhenNothingMoves) {
    connectToRawPeer();
    int disconnects = 0;
    client.OnDisconnect = [&](TcpSocket&) { ++disconnects; };
    int delivered = 0;
    client.SendText("FILE\r3\rabc\r");
    client.WhenDelivered([&] { ++delivered; });
    ASSERT_TRUE(waitUntil([&] { return delivered == 1; }));

    // The peer reads nothing, so its buffer fills and the rest waits for ever.
    client.SendText(patternBytes(kBeyondBuffers));
    client.WhenDelivered([&] { ++delivered; }, 200ms);
    ASSERT_TRUE(waitUntil([&] { return disconnects == 1; }));
    EXPECT_EQ(errors, std::vector<int>{platform::kWsaETimedOut});
    EXPECT_EQ(delivered, 1);
    EXPECT_FALSE(client.Connected());
}

TEST_F(TcpSocketTest,
       AnAutoCloseStreamTakesExactlyItsSizeTheRestGoesToOnDataAResetIsOneDisconnect) {
    std::string data;
    server.OnClientData = [&](TcpClient&, std::string_view chunk) { data.append(chunk); };
    std::vector<bool> receivingAtProgress;
    server.OnClientReceiveProgress = [&](TcpClient& c) {
        receivingAtProgress.push_back(c.IsReceiving());
    };
    int disconnects = 0;
    server.OnClientDisconnect = [&](TcpSocket&) { ++disconnects; };
    RawPeer sender;
    TcpClient& receiving = serverClientOf(sender);
    bool released = false;
    auto stream = std::make_unique<MemoryStream>("", &released);
    receiving.SetReceiveStream(std::move(stream), true, 10);
    // Auto-close with size 0 takes nothing: the first stream stays attached.
    receiving.SetReceiveStream(std::make_unique<MemoryStream>(), true, 0);

    sender.write("0123456789FILE\r");
    ASSERT_TRUE(waitUntil([&] { return data == "FILE\r"; }));
    EXPECT_TRUE(released);
    EXPECT_FALSE(receivingAtProgress.back()) << "the last progress sees no stream";

    sender.die(Death::Reset);
    ASSERT_TRUE(waitUntil([&] { return disconnects > 0; }));
    runFor(20ms);
    EXPECT_EQ(disconnects, 1);
}

TEST_F(TcpSocketTest, ALeavingClientIsRenumberedOutAndDestroyedAfterItsEvent) {
    const int before = platform::SocketStartup::live();
    {
        couriel::TcpServer other(record);
        other.setPort(freeTcpPort());
        // A client disconnects itself from inside its own event.
        other.OnClientData = [&](TcpClient& sender, std::string_view) { sender.Disconnect(); };
        other.Listen();
        RawPeer peers[3];
        for (RawPeer& p : peers) {
            ASSERT_TRUE(p.connect(other.port()));
        }
        ASSERT_TRUE(waitUntil([&] { return other.clients().size() == 3; }));
        EXPECT_EQ(platform::SocketStartup::live(), before + 4);
        couriel::ServerClient& middle = *other.clients()[1];
        couriel::ServerClient& last = *other.clients()[2];
        ASSERT_EQ(middle.port(), peers[1].localPort()) << "accepted in the order they came";
        middle.Connect();
        ASSERT_TRUE(waitUntil([&] { return !messages.empty(); }));
        EXPECT_EQ(messages, std::vector<std::string>{"Can't connect ServerClient"});

        peers[1].write("bye");
        ASSERT_TRUE(waitUntil([&] { return other.clients().size() == 2; }));
        EXPECT_EQ(platform::SocketStartup::live(), before + 4) << "destroyed later";
        ASSERT_TRUE(waitUntil([&] { return platform::SocketStartup::live() == before + 3; }));
        EXPECT_EQ(other.clients()[1].get(), &last);

        other.Disconnect();
        EXPECT_TRUE(other.clients().empty());
        EXPECT_EQ(other.handle(), -1);
        ASSERT_TRUE(waitUntil([&] { return platform::SocketStartup::live() == before + 1; }));
    }
    EXPECT_EQ(platform::SocketStartup::live(), before);
}

} // namespace
