#include "fakeipxcalls.h"
#include "natterby/transport/ipx.h"
#include "natterby/transport/ipxtext.h"
#include "natterby/transport/linuxipxcalls.h"

#include <gtest/gtest.h>

namespace {

using namespace natterby::transport;

const std::vector<std::string> kOpenCalls = {
    "socket 6 2 1000",       "bind 6 net 0 0 0 0 node 0 0 0 0 0 0 socket 81 99 14",
    "getsockname",           "setsockopt 3E8 4000 4",
    "setsockopt 3E8 4003 4", "setsockopt FFFF 20 1",
    "setsockopt 3E8 4005 0", "getsockopt 3E8 4006",
    "asyncSelect 3",
};

class IpxSocketTest : public testing::Test {
protected:
    IpxSocketTest() { socket.setOwnSocketNumber(0x8199); }

    FakeIpxCalls calls;
    IpxSocket socket{calls};
};

// The defaults' calls are pinned by the failed opens below.
TEST_F(IpxSocketTest, OpenAppliesTheOptionsSetBeforeAndSettersApplyAtOnceWhileOpen) {
    EXPECT_FALSE(socket.setFilter(true));
    EXPECT_FALSE(socket.setPacketType(17));
    EXPECT_TRUE(calls.calls.empty());
    EXPECT_FALSE(socket.open());
    std::vector<std::string> expected = kOpenCalls;
    expected[3] = "setsockopt 3E8 4000 17";
    expected[4] = "setsockopt 3E8 4001 4";
    EXPECT_EQ(calls.calls, expected);
    EXPECT_TRUE(socket.isOpen());
    EXPECT_EQ(socket.ownNetwork(), calls.bound.network);
    EXPECT_EQ(socket.ownNode(), calls.bound.node);
    EXPECT_EQ(socket.maxDatagramSize(), 1470);

    calls.calls.clear();
    EXPECT_FALSE(socket.open());
    EXPECT_TRUE(calls.calls.empty()) << "a second open does nothing";
    EXPECT_FALSE(socket.setBroadcast(false));
    EXPECT_FALSE(socket.setReceiveHeader(true));
    EXPECT_FALSE(socket.setFilter(false));
    EXPECT_EQ(calls.calls,
              (std::vector<std::string>{"setsockopt FFFF 20 0", "setsockopt 3E8 4005 1",
                                        "setsockopt 3E8 4003 4"}));
    calls.failOn = "setsockopt 3E8 4000 2";
    calls.error = 10042;
    EXPECT_EQ(socket.setPacketType(2), (ESocketError{"Protocol not available", 10042}));
}

TEST_F(IpxSocketTest, AFailedOpenLeavesTheSocketClosedAndTellsWhy) {
    for (const std::string& failing : kOpenCalls) {
        SCOPED_TRACE(failing);
        FakeIpxCalls calls;
        calls.failOn = failing;
        calls.error = 10048;
        IpxSocket socket(calls);
        socket.setOwnSocketNumber(0x8199);
        const std::optional<ESocketError> error = socket.open();
        ASSERT_TRUE(error);
        EXPECT_EQ(*error, (ESocketError{"The specified address is already in use", 10048}));
        EXPECT_FALSE(socket.isOpen());
        // Everything up to the failing call, then the socket is given back (unless it was
        // never made).
        std::vector<std::string> expected(
            kOpenCalls.begin(), std::find(kOpenCalls.begin(), kOpenCalls.end(), failing) + 1);
        if (failing != kOpenCalls.front()) {
            expected.push_back("closesocket");
        }
        EXPECT_EQ(calls.calls, expected);
    }
}

TEST_F(IpxSocketTest, SendsToTheBroadcastNodeAndClosesStoppingNotificationsFirst) {
    socket.setDestinationSocketNumber(0x8199);
    EXPECT_EQ(socket.send("x"), (ESocketError{"The descriptor is not a socket", 10038}));
    EXPECT_FALSE(socket.close());
    EXPECT_TRUE(calls.calls.empty());

    ASSERT_FALSE(socket.open());
    calls.calls.clear();
    EXPECT_FALSE(socket.sendPacket("Tpacket"));
    const std::string sent = "sendto Tpacket 6 net 0 0 0 0 node FF FF FF FF FF FF socket 81 99 14";
    calls.failOn = sent;
    calls.error = 10040;
    EXPECT_EQ(socket.sendPacket("Tpacket"), (ESocketError{"Message too long", 10040}));
    // Closing counts even when it fails.
    calls.failOn = "closesocket";
    calls.error = 10038;
    EXPECT_EQ(socket.close(), ESocketError::fromCode(10038));
    EXPECT_EQ(calls.calls, (std::vector<std::string>{sent, sent, "asyncSelect 0", "closesocket"}));
    EXPECT_FALSE(socket.isOpen());
    EXPECT_FALSE(socket.close());
}

TEST_F(IpxSocketTest, NotificationsReachTheEvents) {
    std::vector<std::string> events;
    socket.setReceiveEvent([&](std::span<char> data, const IpxAddress& from, int length) {
        events.push_back("receive " + std::string(data.begin(), data.end()) + " from " +
                         FakeIpxCalls::text(from) + " " + std::to_string(length));
    });
    socket.setWriteEvent([&] { events.push_back("write"); });
    socket.setErrorEvent([&](int event, std::string_view message, int code) {
        events.push_back("error " + std::to_string(event) + " " + std::string(message) + " " +
                         std::to_string(code));
    });
    ASSERT_FALSE(socket.open());
    calls.incoming = "Thello";
    calls.notify(kFdRead, 0);
    calls.notify(kFdWrite, 0);
    calls.notify(kFdRead, 10050); // an error in the notification: nothing is read
    calls.failOn = "recvfrom 4096";
    calls.error = 10040;
    calls.notify(kFdRead, 0);
    EXPECT_EQ(events, (std::vector<std::string>{
                          "receive Thello from 6 net 0 0 0 9 node 1 2 3 4 5 6 socket 81 99 14",
                          "write",
                          "error 1 The network subsystem has failed 10050",
                          "error 1 Message too long 10040",
                      }));
}

TEST(LinuxIpxCalls, WithoutIpxInTheKernelOpenFailsWithAddressFamilyNotSupported) {
    LinuxIpxCalls calls;
    IpxSocket socket(calls);
    EXPECT_EQ(socket.open(),
              (ESocketError{"The specified address family is not supported", 10047}));
    EXPECT_FALSE(socket.isOpen());
    EXPECT_EQ(socket.sendPacket("T"), ESocketError::fromCode(10038));
}

TEST(IpxText, NodeAddresses) {
    using Node = std::array<std::uint8_t, 6>;
    const std::pair<std::string_view, Node> cases[] = {
        {"FF.FF.FF.FF.FF.FF", {255, 255, 255, 255, 255, 255}},
        {"1:a:2B", {1, 10, 0x2B, 0, 0, 0}},
        {"", {}},
        {"..00-01-02-03-04-05-06", {0, 1, 2, 3, 4, 5}},
        {"123 4", {0x23, 4, 0, 0, 0, 0}},
    };
    for (const auto& [text, node] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(parseIpxNode(text), node);
    }
}

TEST(IpxText, SocketNumbers) {
    const std::pair<std::string_view, std::uint16_t> cases[] = {
        {"8199", 0x8199}, {"$8199", 0x8199}, {"x8199", 0},     {"81zz", 0x81},    {"", 0},
        {"$", 0},         {"$$81", 0},       {"ffFF", 0xFFFF}, {"12345", 0x2345}, {" 8199", 0},
    };
    for (const auto& [text, number] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(parseIpxSocketNumber(text), number);
    }
}

} // namespace
