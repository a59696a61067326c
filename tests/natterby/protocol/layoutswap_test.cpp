#include "natterby/protocol/layoutswap.h"

#include <gtest/gtest.h>

namespace {

using natterby::protocol::swapKeyboardLayout;

// "привет", "Привет, мир" and "№" in Windows-1251.
const std::string kPrivet = "\xEF\xF0\xE8\xE2\xE5\xF2";

TEST(LayoutSwap, EveryKeyPairRoundTripsAndOneWayCharactersStay) {
    EXPECT_EQ(swapKeyboardLayout("ghbdtn"), kPrivet);
    EXPECT_EQ(swapKeyboardLayout(kPrivet), "ghbdtn");
    EXPECT_EQ(swapKeyboardLayout("#`~"), "\xB9\xB8\xA8");
    EXPECT_EQ(swapKeyboardLayout("\xB9\xB8\xA8"), "#`~");
    EXPECT_EQ(swapKeyboardLayout("Ghbdtn, vbh"), "\xCF\xF0\xE8\xE2\xE5\xF2\xE1 \xEC\xE8\xF0");

    int pairs = 0;
    for (int c = 0; c < 256; ++c) {
        const std::string one(1, static_cast<char>(c));
        const std::string swapped = swapKeyboardLayout(one);
        if (swapped != one && swapKeyboardLayout(swapped) == one) {
            ++pairs;
        }
    }
    // 67 keys in each direction.
    EXPECT_EQ(pairs, 134);
    // One pass only: '/' becomes '.', which would otherwise become the letter on its key.
    EXPECT_EQ(swapKeyboardLayout("/?&^"), ".,?:");
    EXPECT_EQ(swapKeyboardLayout("1 2\t!"), "1 2\t!");
}

} // namespace
