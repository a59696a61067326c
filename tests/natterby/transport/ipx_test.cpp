#include "natterby/transport/ipx.h"
#include "natterby/transport/linuxipxcalls.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace natterby::transport;

// Records every call as a line of text, its numbers in hex, and fails the one named in failOn.
class FakeIpxCalls : public IpxSocketCalls {
public:
    Handle socket(int family, int type, int protocol) override {
        return record("socket" + hex({family, type, protocol}), 77);
    }
    int bind(Handle, const IpxAddress& address, int length) override {
        return record("bind" + text(address) + hex({length}));
    }
    int setsockopt(Handle, int level, int option, std::int32_t value) override {
        return record("setsockopt" + hex({level, option, value}));
    }
    int sendto(Handle, std::string_view bytes, const IpxAddress& to, int length) override {
        return record("sendto " + std::string(bytes) + text(to) + hex({length}),
                      static_cast<int>(bytes.size()));
    }
    int recvfrom(Handle, std::span<char> buffer, IpxAddress& from, int& length) override {
        const std::size_t n = std::min(incoming.size(), buffer.size());
        std::copy_n(incoming.begin(), n, buffer.begin());
        from = bound;
        length = kIpxAddressLength;
        return record("recvfrom" + hex({static_cast<int>(buffer.size())}), static_cast<int>(n));
    }
    int closesocket(Handle) override { return record("closesocket"); }
    int asyncSelect(Handle, int events, Notification notify) override {
        this->notify = std::move(notify);
        return record("asyncSelect" + hex({events}));
    }
    int lastError() const override { return error; }

    // As " 6 net 0 0 0 9 node 1 2 3 4 5 6 socket 81 99".
    static std::string text(const IpxAddress& a) {
        const auto bytes = [](const auto& array) {
            return hex(std::vector<int>(array.begin(), array.end()));
        };
        return hex({a.family}) + " net" + bytes(a.network) + " node" + bytes(a.node) + " socket" +
               bytes(a.socket);
    }

    std::vector<std::string> calls;
    std::string failOn; // a call, as recorded, that fails
    int error = 10048;
    IpxAddress bound{6, {0, 0, 0, 9}, {1, 2, 3, 4, 5, 6}, {0x81, 0x99}};
    std::string incoming;
    Notification notify;

private:
    static std::string hex(const std::vector<int>& numbers) {
        std::string text;
        for (const int n : numbers) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, " %X", static_cast<unsigned>(n));
            text += buffer;
        }
        return text;
    }
    int record(std::string call, int result = 0) {
        const bool fails = call == failOn;
        calls.push_back(std::move(call));
        return fails ? -1 : result;
    }
};

const std::vector<std::string> kOpenCalls = {
    "socket 6 2 3E8",        "bind 6 net 0 0 0 0 node 0 0 0 0 0 0 socket 81 99 E",
    "setsockopt 3E8 4000 4", "setsockopt 3E8 4003 4",
    "setsockopt FFFF 20 1",  "setsockopt 3E8 4005 0",
    "asyncSelect 3",
};

class IpxSocketTest : public testing::Test {
protected:
    IpxSocketTest() { socket.setOwnSocketNumber(0x8199); }

    FakeIpxCalls calls;
    IpxSocket socket{calls};
};

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

TEST_F(IpxSocketTest, OpensOnceSendsToTheBroadcastNodeAndClosesStoppingNotificationsFirst) {
    socket.setDestinationSocketNumber(0x8199);
    // Closed, nothing is called: the broadcast setting waits for the open.
    EXPECT_EQ(socket.send("x"), (ESocketError{"The descriptor is not a socket", 10038}));
    EXPECT_FALSE(socket.close());
    EXPECT_FALSE(socket.setBroadcast(false));
    EXPECT_TRUE(calls.calls.empty());
    EXPECT_FALSE(socket.open());
    std::vector<std::string> expected = kOpenCalls;
    expected[4] = "setsockopt FFFF 20 0";
    EXPECT_EQ(calls.calls, expected);
    EXPECT_TRUE(socket.isOpen());

    calls.calls.clear();
    EXPECT_FALSE(socket.open()); // a second open does nothing
    calls.failOn = "setsockopt FFFF 20 1";
    calls.error = 10042;
    EXPECT_EQ(socket.setBroadcast(true), (ESocketError{"Protocol not available", 10042}));
    EXPECT_FALSE(socket.sendPacket("Tpacket"));
    const std::string sent = "sendto Tpacket 6 net 0 0 0 0 node FF FF FF FF FF FF socket 81 99 E";
    calls.failOn = sent;
    calls.error = 10040;
    EXPECT_EQ(socket.sendPacket("Tpacket"), (ESocketError{"Message too long", 10040}));
    // Closing counts even when it fails.
    calls.failOn = "closesocket";
    calls.error = 10038;
    EXPECT_EQ(socket.close(), ESocketError::fromCode(10038));
    EXPECT_EQ(calls.calls, (std::vector<std::string>{"setsockopt FFFF 20 1", sent, sent,
                                                     "asyncSelect 0", "closesocket"}));
    EXPECT_FALSE(socket.isOpen());
    EXPECT_FALSE(socket.close());
}

TEST_F(IpxSocketTest, AReadNotificationDeliversTheDatagramAndAFailedOneNothing) {
    std::vector<std::string> events;
    socket.setReceiveEvent([&](std::span<char> data, const IpxAddress& from, int length) {
        events.push_back("receive " + std::string(data.begin(), data.end()) + " from" +
                         FakeIpxCalls::text(from) + " " + std::to_string(length));
    });
    ASSERT_FALSE(socket.open());
    calls.incoming = "Thello";
    calls.notify(kFdRead, 0);
    calls.notify(kFdWrite, 0);
    calls.notify(kFdRead, 10050); // an error in the notification: nothing is read
    calls.failOn = "recvfrom 1000";
    calls.error = 10040;
    calls.notify(kFdRead, 0);
    EXPECT_EQ(events, (std::vector<std::string>{
                          "receive Thello from 6 net 0 0 0 9 node 1 2 3 4 5 6 socket 81 99 14",
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

} // namespace
