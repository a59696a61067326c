#include "couriel/program/commandline.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

using couriel::Side;

TEST(CommandLine, SideAndChatWindowFromTheArguments) {
    const std::vector<std::tuple<std::vector<std::string>, Side, std::uint16_t>> cases{
        {{}, Side::None, 0},
        {{"wait", "4711"}, Side::Receiving, 4711},
        {{"4711"}, Side::Sending, 4711},
        {{"wait"}, Side::Receiving, 0},
        // "wait" is compared with its case, so the capitalised form sends, to no window.
        {{"WAIT", "4711"}, Side::Sending, 0},
        // Only the low 16 bits of a window number count.
        {{"65536"}, Side::Sending, 0},
        {{"wait", "65537"}, Side::Receiving, 1},
        {{"wait", "4294967297"}, Side::Receiving, 1},
        {{"-1"}, Side::Sending, 65535},
        {{"+12"}, Side::Sending, 12},
        // Garbage gives the digits before it, or 0; further arguments are ignored.
        {{"12abc"}, Side::Sending, 12},
        {{"wait", "x7"}, Side::Receiving, 0},
        {{"", "7"}, Side::Sending, 0},
        {{"99", "wait", "7"}, Side::Sending, 99},
        {{"wait", "99999999999999999999999"}, Side::Receiving, 0xFFFF},
    };
    for (const auto& [arguments, side, chatWindow] : cases) {
        const couriel::CommandLine line = couriel::parseCommandLine(arguments);
        EXPECT_EQ(line.side, side) << testing::PrintToString(arguments);
        EXPECT_EQ(line.chatWindow, chatWindow) << testing::PrintToString(arguments);
    }
}

} // namespace
