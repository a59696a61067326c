#include "natterby/settings/channellist.h"

#include <gtest/gtest.h>

namespace {

using Entries = std::vector<natterby::settings::ChannelEntry>;

TEST(ParseChannelList, ReadsTheThreeListsInStepWhateverTheirLengths) {
    const std::tuple<const char*, const char*, const char*, Entries> cases[] = {
        {"#Work#Games", "#1#0", "#0#1", {{"Work", true, false}, {"Games", false, true}}},
        {"#Work#Games", "#1", "", {{"Work", true, false}, {"Games", false, false}}},
        // An empty name goes with its flags, so that the later ones stay aligned.
        {"#A##B", "#1#0#1", "#0#0#1", {{"A", true, false}, {"B", true, true}}},
        {"#A#", "#x", "#11", {{"A", false, true}}},
        {"#", "#1", "#1", {}},
    };
    for (const auto& [channels, visible, logged, expected] : cases) {
        SCOPED_TRACE(channels);
        EXPECT_EQ(natterby::settings::parseChannelList(channels, visible, logged), expected);
    }
}

} // namespace
