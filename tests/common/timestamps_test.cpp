#include "common/timestamps.h"

#include <gtest/gtest.h>

namespace {

TEST(Timestamps, ChatAndLogStampsPadEveryFieldButTheYear) {
    const common::LocalTime time{2026, 12, 6, 9, 5, 7};
    EXPECT_EQ(common::chatStamp(time, false), "[09:05] ");
    EXPECT_EQ(common::chatStamp(time, true), "[09:05:07] ");
    EXPECT_EQ(common::logStamp(time), "09:05 | 06.12.2026");
    EXPECT_EQ(common::logStamp({987, 1, 31, 23, 59, 59}), "23:59 | 31.01.987");
}

} // namespace
