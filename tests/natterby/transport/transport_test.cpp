#include "natterby/transport/framing.h"
#include "natterby/transport/ipx.h"
#include "natterby/transport/linuxipxcalls.h"
#include "natterby/transport/udp.h"
#include "tests/fakes/freeport.h"
#include "tests/fakes/qtapplication.h"
#include "tests/fakes/sentbodies.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

using fakes::RecordingSink;
using namespace natterby::transport;
using namespace std::string_literals;

// Computed apart from this code (hashlib, openssl dgst -sha512) for the header "T!Az~09 q#".
constexpr std::string_view kHeader = "T!Az~09 q#";
constexpr std::string_view kHeaderDigest =
    "c0cbc4d1dc0c8f187d2a3980e9de7225090a9f62b606412f248cdafc2b302136"
    "b6cf22d3c794b2aaad3024797e2cbf1ca33ece51e170106443574c6732c9f73b";
// That header and the chat line "hi" from Ann in #Main, scrambled.
const std::string kPacket = "\x54\x21\x41\x7a\x7e\x30\x39\x20\x71\x23\xf9\xe7\x9c\xbd\x65\xe1"
                            "\x18\x3c\x44\x57\x80\x81\xb7\x72"s;
const std::string kBody = "2#Main\0Ann\0hi\0"s;

class FramingTest : public testing::Test {
protected:
    RecordingSink sink;
    // Draws kHeader's nine characters (0 and 94 among the draws, the ends of the range), then
    // goes on counting.
    Framing sender{sink, [next = std::size_t{1}]() mutable {
                       const std::size_t n = next++;
                       return n < kHeader.size() ? kHeader[n] - 32 : static_cast<int>(n % 95);
                   }};
    Framing receiver{sink, [] { return 7; }};
};

TEST_F(FramingTest, TheKnownPacketAndTheKeyStreamAreReadBackOnceAndOnlyTheLatestOwnPacketIsOwn) {
    sender.send(kBody, true);
    ASSERT_EQ(sink.packets, std::vector<std::string>{kPacket});
    EXPECT_FALSE(receiver.hasReceivedAnything());
    std::string datagram = kPacket;
    const auto accepted = receiver.accept(datagram);
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->messageClass, 'T');
    EXPECT_EQ(accepted->code, '2');
    EXPECT_EQ(datagram, std::string(kHeader) + kBody);
    EXPECT_TRUE(receiver.hasReceivedAnything());

    std::string repeat = kPacket;
    EXPECT_FALSE(receiver.accept(repeat));
    EXPECT_EQ(repeat, kPacket) << "a dropped repeat stays as it came";
    // The initial header counts as the last one received.
    std::string initial = "X123456789ab";
    EXPECT_FALSE(Framing(sink, [] { return 0; }).accept(initial));
    std::string other = "Tabcdefghi" + std::string("\x01\x02", 2);
    ASSERT_TRUE(receiver.accept(other));
    std::string lateRepeat = kPacket;
    EXPECT_TRUE(receiver.accept(lateRepeat));
    EXPECT_EQ(lateRepeat, std::string(kHeader) + kBody);
    // Without a code or of a foreign class, nothing is handed on, but the header is still
    // remembered, as a repeat check needs.
    for (std::string datagram : {"T"s, "Z123456789ab"s, "T123456789"s, "T1234567892"s}) {
        EXPECT_FALSE(receiver.accept(datagram)) << datagram;
    }
    // The key stream is digest bytes 1 to 62 over and over; bytes 0 and 63 are never used.
    std::string zeros = std::string(kHeader) + std::string(130, '\0');
    ASSERT_TRUE(receiver.accept(zeros));
    std::string key;
    for (std::size_t i = 0; i < 130; ++i) {
        const std::string digestByte(kHeaderDigest.substr(2 + 2 * (i % 62), 2));
        key += static_cast<char>(std::stoi(digestByte, nullptr, 16));
    }
    EXPECT_EQ(zeros, std::string(kHeader) + key);

    sender.send(kBody, true);
    sender.send(kBody, false);
    ASSERT_EQ(sink.packets.size(), 3u);
    // The same body under two new headers: both packets read back, and only the later is own.
    std::string second = sink.packets[2];
    ASSERT_EQ(sender.accept(second)->messageClass, 'Y');
    EXPECT_TRUE(sender.isOwnPacket());
    EXPECT_EQ(second.substr(10), kBody);
    std::string first = sink.packets[1];
    ASSERT_TRUE(sender.accept(first));
    EXPECT_FALSE(sender.isOwnPacket());
    EXPECT_EQ(first.substr(10), kBody);
}

TEST_F(FramingTest, NetworkingOffOrAnIpxSendFailureStopsSendingAUdpFailureDoesNot) {
    sender.setNetworking(false);
    sender.send(kBody, true);
    sender.send(kBody, false);
    EXPECT_TRUE(sink.packets.empty());

    sender.setNetworking(true);
    sink.failure = ESocketError::fromCode(10040);
    sender.send(kBody, true);
    EXPECT_FALSE(sender.networking());
    sink.failure.reset();
    sender.send(kBody, true);
    EXPECT_EQ(sink.packets.size(), 1u);
    sender.setNetworking(true); // an IPX datagram arrived
    sender.send(kBody, true);
    EXPECT_EQ(sink.packets.size(), 2u);

    sender.setIpxTransport(false);
    sink.failure = ESocketError::fromCode(10065);
    sender.send(kBody, true);
    sender.send(kBody, true);
    EXPECT_TRUE(sender.networking());
    EXPECT_EQ(sink.packets.size(), 4u);
}

// Records every call as a line of text, its numbers in hex, and fails the one named in failOn.
class FakeIpxCalls : public IpxSocketCalls {
public:
    Handle socket(int family, int type, int protocol) override {
        return record("socket" + hex(std::array{family, type, protocol}), 77);
    }
    int bind(Handle, const IpxAddress& address, int length) override {
        return record("bind" + text(address) + hex(std::array{length}));
    }
    int setsockopt(Handle, int level, int option, std::int32_t value) override {
        return record("setsockopt" + hex(std::array{level, option, value}));
    }
    int sendto(Handle, std::string_view bytes, const IpxAddress& to, int length) override {
        return record("sendto " + std::string(bytes) + text(to) + hex(std::array{length}),
                      static_cast<int>(bytes.size()));
    }
    int recvfrom(Handle, std::span<char> buffer, IpxAddress& from, int& length) override {
        const std::size_t n = std::min(incoming.size(), buffer.size());
        std::copy_n(incoming.begin(), n, buffer.begin());
        from = bound;
        length = kIpxAddressLength;
        return record("recvfrom" + hex(std::array{buffer.size()}), static_cast<int>(n));
    }
    int closesocket(Handle) override { return record("closesocket"); }
    int asyncSelect(Handle, int events, Notification notify) override {
        this->notify = std::move(notify);
        return record("asyncSelect" + hex(std::array{events}));
    }
    int lastError() const override { return error; }

    // As " 6 net 0 0 0 9 node 1 2 3 4 5 6 socket 81 99".
    static std::string text(const IpxAddress& a) {
        return hex(std::array{a.family}) + " net" + hex(a.network) + " node" + hex(a.node) +
               " socket" + hex(a.socket);
    }

    std::vector<std::string> calls;
    std::string failOn; // a call, as recorded, that fails
    int error = 10048;
    IpxAddress bound{6, {0, 0, 0, 9}, {1, 2, 3, 4, 5, 6}, {0x81, 0x99}};
    std::string incoming;
    Notification notify;

private:
    template <class Numbers> static std::string hex(const Numbers& numbers) {
        std::ostringstream text;
        for (const unsigned n : numbers) {
            text << ' ' << std::uppercase << std::hex << n;
        }
        return text.str();
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
        calls.calls.clear();
        calls.failOn = failing;
        EXPECT_EQ(socket.open(), (ESocketError{"The specified address is already in use", 10048}));
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
    EXPECT_FALSE(socket.close()); // closed already: nothing is called
}

TEST_F(IpxSocketTest, AReadNotificationDeliversTheDatagramAndAFailedOneNothing) {
    std::vector<std::string> received;
    socket.setReceiveEvent([&](std::span<char> data, const IpxAddress& from, int length) {
        received.emplace_back(data.begin(), data.end());
        EXPECT_EQ(from, calls.bound);
        EXPECT_EQ(length, kIpxAddressLength);
    });
    ASSERT_FALSE(socket.open());
    calls.incoming = "Thello";
    calls.notify(kFdRead, 0);
    calls.notify(kFdWrite, 0);
    calls.notify(kFdRead, 10050); // an error in the notification: nothing is read
    calls.failOn = "recvfrom 1000";
    calls.notify(kFdRead, 0);
    EXPECT_EQ(received, std::vector<std::string>{"Thello"});
}

TEST(LinuxIpxCalls, WithoutIpxInTheKernelOpenFailsWithAddressFamilyNotSupported) {
    LinuxIpxCalls calls;
    IpxSocket socket(calls);
    EXPECT_EQ(socket.open(),
              (ESocketError{"The specified address family is not supported", 10047}));
    EXPECT_EQ(socket.sendPacket("T"), ESocketError::fromCode(10038));
}

// A copy of the chat on the test port. Loopback stands in for the broadcast address, which a
// test machine may not route.
struct UdpPeer {
    explicit UdpPeer(std::uint16_t port) {
        transport.setPort(port);
        transport.setBroadcastAddress("127.0.0.1");
    }

    std::vector<std::pair<std::string, std::uint32_t>> received; // datagram and source
    std::vector<std::string> failures;
    std::function<void()> afterReceive = [] {};
    UdpTransport transport{[this](std::span<char> d, std::uint32_t source) {
                               received.emplace_back(std::string(d.begin(), d.end()), source);
                               afterReceive();
                           },
                           [this](std::string_view text) { failures.emplace_back(text); }};
};

TEST(UdpTransportTest, OnlyWholeDatagramsStartingWithTOrYAreDeliveredAndAHandlerMayClose) {
    fakes::qtApplication();
    const std::uint16_t port = fakes::freePort();
    UdpPeer peer(port);
    const auto waitFor = [&](std::size_t count) {
        fakes::waitUntil([&] { return peer.received.size() >= count; }, std::chrono::seconds(5));
        // Whatever else is under way arrives now, so that a test sees extra datagrams too.
        fakes::waitUntil([] { return false; }, std::chrono::milliseconds(50));
    };
    UdpTransport& transport = peer.transport;
    transport.open();
    // A second copy on the port fails to bind, once, but still sends.
    UdpPeer second(port);
    second.transport.open();
    EXPECT_EQ(second.failures,
              std::vector<std::string>{"\xCE\xF8\xE8\xE1\xEA\xE0 \xF1\xEE\xE7\xE4"
                                       "\xE0\xED\xE8\xFF \xF1\xE5\xF0\xE2\xE5\xF0\xE0"});
    // It sends as is: too long (dropped, not cut), of other classes, empty, then what arrives.
    const std::string longest = "T" + std::string(2048, 'a');
    for (const std::string& datagram :
         {std::string(3000, 'T'), "T" + std::string(2049, 'b'), "Xsomething else"s, ""s,
          "tlower case"s, longest, "Yfrom the second copy"s}) {
        EXPECT_FALSE(second.transport.sendPacket(datagram));
    }
    waitFor(2);
    EXPECT_EQ(peer.received, (decltype(peer.received){{longest, INADDR_LOOPBACK},
                                                      {"Yfrom the second copy", INADDR_LOOPBACK}}));
    EXPECT_TRUE(second.received.empty());

    transport.open(); // a second open reports nothing
    EXPECT_TRUE(peer.failures.empty());
    transport.close();
    transport.close();
    EXPECT_FALSE(transport.isOpen());
    EXPECT_FALSE(transport.sendPacket("Tlost")); // silently lost
    // The port is free again for whoever opens next, and a handler may close.
    transport.open();
    peer.afterReceive = [&transport] { transport.close(); };
    EXPECT_FALSE(transport.sendPacket("Tbye"));
    transport.sendPacket("Tunheard");
    waitFor(3);
    EXPECT_EQ(peer.received.back().first, "Tbye");
    EXPECT_FALSE(transport.isOpen());
    EXPECT_TRUE(peer.failures.empty());
}

} // namespace
