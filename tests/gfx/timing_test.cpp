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

TEST(Timing, AWaitEndsWhereALoopOfIdleWouldButWakesLessOften) {
    // From every phase within a millisecond, and across the tick wrap.
    for (const uint32_t startTicks : {0u, 0xFFFFFFFAu}) {
        for (const uint64_t phase : {0u, 1u, 370u, 999u}) {
            headless::Reset(headless::Config{.StartTicks = startTicks});
            headless::AdvanceMicros(phase);
            const uint32_t start = plat::Ticks();
            while (plat::Ticks() - start < 45) plat::Idle();
            const uint64_t looped = headless::NowMicros();

            headless::Reset(headless::Config{.StartTicks = startTicks});
            headless::AdvanceMicros(phase);
            int wakes = 0;
            headless::SetClockObserver([&](uint64_t) { ++wakes; });
            plat::IdleUntil(plat::Ticks(), 45);
            EXPECT_EQ(headless::NowMicros(), looped) << phase;
            EXPECT_LE(wakes, 3) << phase;
            headless::SetClockObserver(nullptr);
        }
    }
    headless::Reset();
}

}  // namespace
