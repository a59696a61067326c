#include "platform/datagram.h"
#include "platform/wsaerrors.h"
#include "tests/fakes/freeport.h"

#include <array>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;

class DatagramSocketTest : public testing::Test {
protected:
    void SetUp() override {
        port = fakes::freePort();
        ASSERT_EQ(receiver.open(), 0);
        ASSERT_EQ(receiver.bind(0, port), 0);
        ASSERT_EQ(sender.open(), 0);
        ASSERT_EQ(sender.connect(kLoopback, port), 0);
    }

    std::uint16_t port = 0;
    platform::DatagramSocket receiver;
    platform::DatagramSocket sender;
};

TEST_F(DatagramSocketTest, ASecondSocketCannotBindTheSamePort) {
    platform::DatagramSocket second;
    ASSERT_EQ(second.open(), 0);
    EXPECT_EQ(second.bind(0, port), platform::kWsaEAddrInUse);
}

TEST_F(DatagramSocketTest, AnOverLongDatagramIsConsumedNotCutAndSourcesAreReported) {
    ASSERT_EQ(sender.send(std::string(100, 'x')), 0);
    ASSERT_EQ(sender.send("short"), 0);
    std::array<char, 16> buffer{};
    EXPECT_EQ(receiver.receive(buffer).error, platform::kWsaEMsgSize);
    const platform::DatagramReceive next = receiver.receive(buffer);
    ASSERT_EQ(next.error, 0);
    EXPECT_EQ(std::string(buffer.data(), next.size), "short");
    EXPECT_EQ(next.source, kLoopback);
    // The route to the sender leaves from the address the sender came from.
    EXPECT_EQ(platform::localAddressToward(next.source), kLoopback);
    EXPECT_EQ(receiver.receive(buffer).error, platform::kWsaEWouldBlock);
}

} // namespace
