#include "natterby/transport/framing.h"
#include "tests/fakes/sentbodies.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using fakes::RecordingSink;
using natterby::transport::ESocketError;
using natterby::transport::Framing;
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
    // Replays the random numbers that give kHeader's nine characters (0 and 94 among them, the
    // ends of the range), then goes on counting.
    Framing sender{sink, [draws = std::vector<int>{1, 33, 90, 94, 16, 25, 0, 81, 3},
                          next = std::size_t{0}]() mutable {
                       const int r =
                           next < draws.size() ? draws[next] : static_cast<int>(next % 95);
                       ++next;
                       return r;
                   }};
    RecordingSink otherSink;
    Framing receiver{otherSink, [] { return 7; }};
};

TEST_F(FramingTest, TheKnownPacketIsSentAndAcceptedUnscrambledInPlace) {
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
    EXPECT_FALSE(receiver.isOwnPacket());
}

TEST_F(FramingTest, TheKeyStreamRepeatsEverySixtyTwoBytes) {
    sender.send(std::string(130, '\0'), true);
    ASSERT_EQ(sink.packets.size(), 1u);
    const std::string& packet = sink.packets[0];
    ASSERT_EQ(packet.size(), 140u);
    for (std::size_t i = 0; i < 130; ++i) {
        // Body byte 62 uses digest byte 1 again; digest bytes 0 and 63 are never used.
        const std::size_t digest = 1 + i % 62;
        ASSERT_EQ(static_cast<unsigned char>(packet[10 + i]),
                  std::stoi(std::string(kHeaderDigest.substr(2 * digest, 2)), nullptr, 16))
            << i;
    }
}

TEST_F(FramingTest, RepeatsCodelessAndForeignDatagramsAreDroppedAndOnlyTheLatestOwnPacketIsOwn) {
    std::string datagram = kPacket;
    ASSERT_TRUE(receiver.accept(datagram));
    std::string repeat = kPacket;
    EXPECT_FALSE(receiver.accept(repeat));
    EXPECT_EQ(repeat, kPacket) << "a dropped repeat stays as it came";
    // The initial header counts as the last one received.
    std::string initial = "X123456789ab";
    EXPECT_FALSE(Framing(otherSink, [] { return 0; }).accept(initial));
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

    sender.send(kBody, true);
    sender.send(kBody, false);
    ASSERT_EQ(sink.packets.size(), 2u);
    // The same body under two headers gives two packets that both read back the same.
    EXPECT_NE(sink.packets[0].substr(1), sink.packets[1].substr(1));
    std::string second = sink.packets[1];
    ASSERT_EQ(sender.accept(second)->messageClass, 'Y');
    EXPECT_TRUE(sender.isOwnPacket());
    EXPECT_EQ(second.substr(10), kBody);
    std::string first = sink.packets[0];
    ASSERT_TRUE(sender.accept(first));
    EXPECT_FALSE(sender.isOwnPacket()); // an older own packet no longer counts
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

} // namespace
