#include <gtest/gtest.h>

#include "gfx/timing.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace {

namespace headless = plat::headless;

TEST(Timing, WaitSinceWaitsOnlyForWhatIsLeft) {
    headless::Reset();
    StartTimer();
    WaitSince(0);
    EXPECT_EQ(headless::NowMicros(), 0u);
    WaitSince(10);
    EXPECT_EQ(plat::Ticks(), 10u);
    StartTimer();
    headless::AdvanceMs(25);
    WaitSince(10);  // already past: returns at once
    EXPECT_EQ(plat::Ticks(), 35u);
}

TEST(Timing, AWaitAcrossTheTickWrapEndsOnTime) {
    headless::Reset(headless::Config{.StartTicks = 0xFFFFFFFBu});
    StartTimer();
    EXPECT_EQ(TimerStart, 0xFFFFFFFBu);
    WaitSince(10);
    EXPECT_EQ(plat::Ticks(), 5u);
    EXPECT_EQ(headless::NowMicros(), 10000u);
    headless::Reset();
}

}  // namespace
