#include "couriel/socket/tcpserver.h"
#include "couriel/transfer/filestream.h"
#include "platform/wsaerrors.h"
#include "tests/couriel/courielfakes.h"
#include "tests/fakes/tempfolder.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace couriel_test;
using namespace std::chrono_literals;
using couriel::TcpClient;
using couriel::TcpSocket;

// Takes what it receives as a stream that is no file.
struct MemoryStream : couriel::IncomingStream {
    std::int64_t position() const override { return std::ssize(bytes); }
    void write(std::span<const char> data) override { bytes.append(data.data(), data.size()); }
    int descriptor() const override { return -1; }
    void received(std::size_t, std::size_t) override {}

    std::string bytes;
};

class TcpSocketTest : public testing::Test {
protected:
    void SetUp() override {
        fakes::qtApplication();
        client.setHost("127.0.0.1");
        client.OnError = [this](TcpSocket&, int code) { errors.push_back(code); };
        client.OnDisconnect = [this](TcpSocket&) { ++disconnects; };
    }

    std::vector<std::string> messages;
    std::vector<int> errors;
    int disconnects = 0;
    const couriel::MessageEvent record = [this](const std::string& text) {
        messages.push_back(text);
    };
    TcpClient client{record};
};

// The peer reads only when the test drains it.
TEST_F(TcpSocketTest, AFileGoesWholeAndInOrderAndBadAddressesAndRefusalsFail) {
    RawPeer peer;
    client.setPort(peer.listen());
    client.Connect();
    EXPECT_TRUE(client.Active()) << "while it connects";
    ASSERT_TRUE(waitUntil([&] { return client.Connected(); }));
    EXPECT_FALSE(client.Active());
    ASSERT_TRUE(peer.accept());

    // Big enough that the loopback buffers of both ends are full long before the file ends.
    const std::string bytes = patternBytes(16 << 20);
    const TempFolder folder;
    const auto file = couriel::FileStream::openForReading(folder.write("file", bytes));
    ASSERT_TRUE(client.SendStream(*file));
    ASSERT_TRUE(client.IsSending()) << "the first pass stops where the socket would block";
    EXPECT_FALSE(client.SendStream(*file));
    // The text goes between two pieces of the file, as soon as the socket takes it.
    client.SendText("END");
    ASSERT_TRUE(waitUntil([&] {
        peer.drain();
        return peer.received.size() >= bytes.size() + 3;
    }));
    const std::size_t at = peer.received.find("END");
    EXPECT_TRUE(peer.received.substr(0, at) + peer.received.substr(at + 3) == bytes);

    // The peer reads no more, so its buffer fills and the rest waits for ever.
    bool delivered = false;
    client.SendText(bytes);
    client.WhenDelivered([&] { delivered = true; }, 200ms);
    ASSERT_TRUE(waitUntil([&] { return disconnects == 1; }));
    EXPECT_EQ(errors, std::vector<int>{platform::kWsaETimedOut});
    EXPECT_FALSE(delivered);

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
    client.OnConnect = [](TcpClient&) { ADD_FAILURE() << "refused, yet connected"; };
    client.setHost("127.0.0.1");
    client.setPort(fakes::freePort(SOCK_STREAM));
    client.Connect();
    const std::string handle = std::to_string(client.handle());
    ASSERT_TRUE(waitUntil([&] { return !messages.empty(); }));
    runFor(20ms);
    EXPECT_EQ(messages,
              std::vector<std::string>{"Socket error WSAECONNREFUSED on socket " + handle});
    EXPECT_FALSE(client.Active());
    EXPECT_EQ(client.handle(), -1) << "the abandoned attempt's socket is closed";
}

// A client that leaves is taken out of the list at once and destroyed only after its event.
TEST_F(TcpSocketTest, AServerClientReceivesIntoAStreamAndALeavingOneGoesAfterItsEvent) {
    const int before = platform::SocketStartup::live();
    {
        couriel::TcpServer server(record);
        server.setPort(fakes::freePort(SOCK_STREAM));
        std::string data;
        server.OnClientData = [&](TcpClient& sender, std::string_view chunk) {
            data.append(chunk);
            if (chunk == "bye") {
                sender.Disconnect();
            }
        };
        server.OnClientDisconnect = [&](TcpSocket&) { ++disconnects; };
        server.Listen();
        RawPeer peers[3];
        for (RawPeer& peer : peers) {
            ASSERT_TRUE(peer.connect(server.port()));
        }
        ASSERT_TRUE(waitUntil([&] { return server.clients().size() == 3; }));
        EXPECT_EQ(platform::SocketStartup::live(), before + 4);
        couriel::ServerClient& first = *server.clients()[0];
        couriel::ServerClient& last = *server.clients()[2];
        first.Connect();
        ASSERT_TRUE(waitUntil([&] { return !messages.empty(); }));
        EXPECT_EQ(messages, std::vector<std::string>{"Can't connect ServerClient"});

        // An auto-close stream takes exactly its size, the rest goes to OnData; one of size 0
        // is not taken, the first one stays attached.
        first.SetReceiveStream(std::make_unique<MemoryStream>(), true, 10);
        first.SetReceiveStream(std::make_unique<MemoryStream>(), true, 0);
        peers[0].write("0123456789FILE\r");
        ASSERT_TRUE(waitUntil([&] { return data == "FILE\r"; }));
        // A reset is one disconnect.
        peers[0].die(Death::Reset);
        ASSERT_TRUE(waitUntil([&] { return disconnects > 0; }));
        runFor(20ms);
        EXPECT_EQ(disconnects, 1);

        peers[1].write("bye");
        ASSERT_TRUE(waitUntil([&] { return server.clients().size() == 2; }));
        EXPECT_EQ(platform::SocketStartup::live(), before + 4) << "destroyed later";
        ASSERT_TRUE(waitUntil([&] { return platform::SocketStartup::live() == before + 3; }));
        EXPECT_EQ(server.clients()[1].get(), &last);

        server.Disconnect();
        EXPECT_TRUE(server.clients().empty());
        EXPECT_EQ(server.handle(), -1);
        ASSERT_TRUE(waitUntil([&] { return platform::SocketStartup::live() == before + 1; }));
    }
    EXPECT_EQ(platform::SocketStartup::live(), before);
}

} // namespace
