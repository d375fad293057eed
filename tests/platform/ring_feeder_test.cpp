// The feeder of a streamed sound buffer over a scripted device: where the
// mix goes, what counts as played, and when a lost buffer is a stopped device.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/ring_feeder.h"

namespace {

using plat::core::RingDevice;
using plat::core::RingFeeder;
using plat::core::RingRead;

constexpr uint32_t Ring = 32768, Rate = 176400, Lead = 7056, Gap = 1764;
constexpr uint64_t Stuck = 500000, Wake = 5000;

// A device that plays its ring at the mixer's rate from where it started, with
// its write cursor a little ahead; a test takes its buffer away.
struct ScriptedRing {
    uint64_t Now = 0;
    uint64_t PlayingSince = 0;
    uint32_t StartPosition = 0;
    bool Lost = false;
    bool RestoreWorks = true;
    std::vector<std::pair<uint32_t, uint32_t>> Fills;  // offset, bytes
    uint64_t Skipped = 0;

    uint32_t Play() const {
        return static_cast<uint32_t>((StartPosition + (Now - PlayingSince) * Rate / 1000000 / 4 * 4) % Ring);
    }
    uint32_t Write() const { return (Play() + Gap) % Ring; }

    RingDevice Device() {
        return RingDevice{
            [this](uint32_t* play, uint32_t* write) {
                if (Lost) return RingRead::Lost;
                *play = Play();
                *write = Write();
                return RingRead::Read;
            },
            [this] {
                if (!RestoreWorks) return false;
                Lost = false;  // plays again from the start of the ring
                StartPosition = 0;
                PlayingSince = Now;
                return true;
            },
            [this](uint32_t offset, uint32_t bytes) {
                Fills.emplace_back(offset, bytes);
                return true;
            },
            [this](uint64_t bytes) { Skipped += bytes; },
        };
    }
};

// How far past the device's write cursor the fill starts: within the lead
// when the mix lands where the device will play it next.
uint32_t AheadOfWriteCursor(const ScriptedRing& d, uint32_t offset) { return (offset + Ring - d.Write()) % Ring; }

TEST(RingFeeder, TheMixGoesJustAheadOfTheWriteCursorWhereverTheRingStarted) {
    for (uint32_t start : {0u, 1000u, Ring - 4u}) {
        ScriptedRing d;
        d.StartPosition = start;
        const RingDevice device = d.Device();
        RingFeeder feeder(Ring, Rate, Lead, Stuck);
        feeder.Start(d.Play(), d.Now);
        for (int i = 0; i < 100; ++i) {
            d.Now += Wake;
            const size_t before = d.Fills.size();
            ASSERT_TRUE(feeder.Feed(device, d.Now));
            if (d.Fills.size() > before) {
                ASSERT_LE(AheadOfWriteCursor(d, d.Fills.back().first), Lead) << "start " << start << ", wake-up " << i;
            }
        }
        EXPECT_EQ(feeder.Played(), d.Now * Rate / 1000000 / 4 * 4) << start;
    }
}

TEST(RingFeeder, ALostBufferThatCannotComeBackIsAStoppedDevice) {
    ScriptedRing d;
    const RingDevice device = d.Device();
    RingFeeder feeder(Ring, Rate, Lead, Stuck);
    feeder.Start(d.Play(), d.Now);
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));
    d.Lost = true;
    d.RestoreWorks = false;
    const uint64_t lostAt = d.Now;
    uint64_t stoppedAt = 0;
    while (stoppedAt == 0 && d.Now - lostAt < 4 * Stuck)
        if (!feeder.Feed(device, d.Now += Wake)) stoppedAt = d.Now;
    ASSERT_NE(stoppedAt, 0u) << "still fed " << (d.Now - lostAt) / 1000 << " ms after the buffer was lost";
    EXPECT_LE(stoppedAt - lostAt, Stuck + Wake);
}

TEST(RingFeeder, ARestoredBufferCountsOnlyWhatItPlayedAndIsFilledWhereItPlaysNext) {
    ScriptedRing d;
    d.StartPosition = 5000;
    const RingDevice device = d.Device();
    RingFeeder feeder(Ring, Rate, Lead, Stuck);
    feeder.Start(d.Play(), d.Now);
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));  // 100 ms played
    const uint64_t playedBefore = feeder.Played();
    d.Lost = true;
    d.RestoreWorks = false;
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));  // 100 ms lost
    d.RestoreWorks = true;
    ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));
    const uint64_t restoredAt = d.Now;
    for (int i = 0; i < 10; ++i) {
        const size_t before = d.Fills.size();
        ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));
        if (d.Fills.size() > before) {
            EXPECT_LE(AheadOfWriteCursor(d, d.Fills.back().first), Lead) << "wake-up " << i;
        }
    }
    // 50 ms played since the restore; nothing for the time it was lost.
    const uint64_t playedSince = (d.Now - restoredAt) * Rate / 1000000;
    EXPECT_NEAR(static_cast<double>(feeder.Played() - playedBefore), static_cast<double>(playedSince), 4.0);
}

}  // namespace
