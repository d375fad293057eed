// The feeder of a streamed sound buffer over a scripted device: where the
// mix goes, what counts as played, what the mixer is told it skipped, and
// when a lost buffer is a stopped device.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/ring_feeder.h"

namespace {

using plat::core::RingDevice;
using plat::core::RingFeeder;
using plat::core::RingRead;

constexpr uint32_t Ring = 32768, Rate = 176400, Lead = 7056, Gap = 1764;
constexpr uint64_t Stuck = 500000, Wake = 5000;

// What a byte of the ring holds when the device comes to play it.
enum class Byte : uint8_t {
    Silence,  // a new buffer, silenced before it first plays
    Mix,      // written by the feeder and not yet played
    Played,   // played already: heard again, it is old sound
    Unknown,  // memory a restore gave back, which nobody wrote
};

// A device that plays its ring at the mixer's rate from where it started,
// with its write cursor a little ahead, and keeps count of every byte it
// plays; a test takes its buffer away.
struct ScriptedRing {
    uint64_t Now = 0;
    uint64_t PlayingSince = 0;
    uint32_t StartPosition = 0;
    bool Lost = false;
    bool RestoreWorks = true;
    bool LostAgainAtOnce = false;  // a restored buffer is gone again by the next look at it
    int LooksUntilLost = 0;
    int Restores = 0;
    std::vector<std::pair<uint32_t, uint32_t>> Fills;  // offset, bytes
    uint64_t Filled = 0;
    uint64_t Skipped = 0;

    std::vector<Byte> Memory = std::vector<Byte>(Ring, Byte::Silence);
    uint64_t PlayedBefore = 0;  // bytes played before the last restore
    uint64_t PlayedSince = 0;   // and since it (or the start)
    // The bytes played, by what they held; and mix written over before it was played.
    uint64_t Fresh = 0, Silent = 0, Old = 0, Unwritten = 0, Overwritten = 0;

    uint64_t Since() const { return Lost ? 0 : (Now - PlayingSince) * Rate / 1000000 / 4 * 4; }
    uint32_t Play() const { return static_cast<uint32_t>((StartPosition + PlayedSince) % Ring); }
    uint32_t Write() const { return (Play() + Gap) % Ring; }
    uint64_t Total() const { return PlayedBefore + PlayedSince; }
    // Where in the ring the mix continues: the feeder counts every byte it
    // mixed or skipped, from where the device started.
    uint32_t MixEnd() const { return static_cast<uint32_t>((StartPosition + Filled + Skipped) % Ring); }

    // The device plays up to now.
    void PlayOn() {
        for (const uint64_t until = Since(); PlayedSince < until; ++PlayedSince) {
            Byte& b = Memory[Play()];
            Fresh += b == Byte::Mix;
            Silent += b == Byte::Silence;
            Old += b == Byte::Played;
            Unwritten += b == Byte::Unknown;
            b = Byte::Played;
        }
    }
    void Lose() {
        PlayOn();
        Lost = true;
        PlayedBefore += PlayedSince;
        PlayedSince = 0;
    }

    RingDevice Device() {
        return RingDevice{
            [this](uint32_t* play, uint32_t* write) {
                if (Lost) return RingRead::Lost;
                if (LooksUntilLost > 0 && --LooksUntilLost == 0) {
                    Lose();
                    return RingRead::Lost;
                }
                PlayOn();
                *play = Play();
                *write = Write();
                return RingRead::Read;
            },
            [this] {
                if (!RestoreWorks) return false;
                ++Restores;
                Memory.assign(Ring, Byte::Unknown);
                LooksUntilLost = LostAgainAtOnce ? 2 : 0;  // read once, then gone
                Lost = false;                              // plays again from the start of the ring
                StartPosition = 0;
                PlayingSince = Now;
                return true;
            },
            [this](uint32_t offset, uint32_t bytes) {
                PlayOn();
                for (uint32_t i = 0; i < bytes; ++i) {
                    Byte& b = Memory[(offset + i) % Ring];
                    Overwritten += b == Byte::Mix;
                    b = Byte::Mix;
                }
                Fills.emplace_back(offset, bytes);
                Filled += bytes;
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
        EXPECT_EQ(feeder.Played(), d.Total()) << start;
        // Only the silence the device played before the first fill is
        // skipped, and every mix is heard once, in order.
        EXPECT_EQ(d.Skipped, d.Silent) << start;
        EXPECT_EQ(d.Old + d.Unwritten + d.Overwritten, 0u) << start;
        EXPECT_EQ(d.Fresh + Gap + Lead, d.Filled) << start;
    }
}

// Woken late by a little, by more than the lead, by more than half the ring
// and by laps of it: the voices move on by exactly what the device played
// without a mix of ours, and the mix goes on exactly at the write cursor.
TEST(RingFeeder, AFeederWokenLateSkipsExactlyWhatTheDevicePlayedWithoutIt) {
    for (uint64_t late : {12000u, 45000u, 120000u, 400000u, 700000u}) {
        SCOPED_TRACE("woken " + std::to_string(late / 1000) + " ms late");
        ScriptedRing d;
        d.StartPosition = 3000;
        const RingDevice device = d.Device();
        RingFeeder feeder(Ring, Rate, Lead, Stuck);
        feeder.Start(d.Play(), d.Now);
        for (int i = 0; i < 40; ++i) ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));
        const uint64_t skippedBefore = d.Skipped, mixEnd = d.Filled + d.Skipped;
        const uint32_t continuesAt = d.MixEnd();
        const size_t fills = d.Fills.size();
        d.Now += late;
        ASSERT_TRUE(feeder.Feed(device, d.Now));
        EXPECT_EQ(feeder.Played(), d.Total());
        const uint64_t behind = d.Total() + Gap > mixEnd ? d.Total() + Gap - mixEnd : 0;
        EXPECT_EQ(d.Skipped - skippedBefore, behind);
        ASSERT_EQ(d.Fills.size(), fills + 1);
        EXPECT_EQ(d.Fills.back().first, behind > 0 ? d.Write() : continuesAt);
        EXPECT_EQ(d.Filled + d.Skipped, d.Total() + Gap + Lead);
        if (late < Lead * 1000000ull / Rate) {
            EXPECT_EQ(behind, 0u) << "within the lead nothing is skipped";
        }
        for (int i = 0; i < 40; ++i) ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));
        EXPECT_EQ(feeder.Played(), d.Total());
        // Every byte the device played that was not mixed for it, and only
        // those, was skipped; no mix was written over before it was heard.
        EXPECT_EQ(d.Skipped, d.Silent + d.Old);
        EXPECT_EQ(d.Overwritten + d.Unwritten, 0u);
    }
}

TEST(RingFeeder, ALostBufferThatCannotComeBackIsAStoppedDevice) {
    ScriptedRing d;
    const RingDevice device = d.Device();
    RingFeeder feeder(Ring, Rate, Lead, Stuck);
    feeder.Start(d.Play(), d.Now);
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));
    d.Lose();
    d.RestoreWorks = false;
    const uint64_t lostAt = d.Now;
    uint64_t stoppedAt = 0;
    while (stoppedAt == 0 && d.Now - lostAt < 4 * Stuck)
        if (!feeder.Feed(device, d.Now += Wake)) stoppedAt = d.Now;
    ASSERT_NE(stoppedAt, 0u) << "still fed " << (d.Now - lostAt) / 1000 << " ms after the buffer was lost";
    EXPECT_LE(stoppedAt - lostAt, Stuck + Wake);
}

// The memory a restore gives back holds nothing anybody wrote: the device
// must never play it. Three losses in one run, each restored, with the
// device playing in between.
TEST(RingFeeder, ARestoredBufferIsFilledFromItsPlayCursorAndCountsOnlyWhatItPlayed) {
    ScriptedRing d;
    d.StartPosition = 5000;
    const RingDevice device = d.Device();
    RingFeeder feeder(Ring, Rate, Lead, Stuck);
    feeder.Start(d.Play(), d.Now);
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));  // 100 ms played
    const uint64_t skippedAtStart = d.Skipped;
    for (int episode = 0; episode < 3; ++episode) {
        SCOPED_TRACE("loss " + std::to_string(episode + 1));
        d.Lose();
        d.RestoreWorks = false;
        for (int i = 0; i < 20; ++i) ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));  // 100 ms lost
        EXPECT_EQ(feeder.Played(), d.Total()) << "nothing counted while it was lost";
        d.RestoreWorks = true;
        const size_t fills = d.Fills.size();
        ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));
        ASSERT_EQ(d.Restores, episode + 1);
        // The restored ring is filled at once from where it plays.
        EXPECT_EQ(d.Fills.size(), fills + 1);
        if (d.Fills.size() > fills) {
            EXPECT_EQ(d.Fills[fills].first, d.Play());
            EXPECT_EQ(d.Fills[fills].second, Gap + Lead);
        }
        for (int i = 0; i < 40 + 20 * episode; ++i) {
            const size_t before = d.Fills.size();
            ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));
            if (d.Fills.size() > before) {
                EXPECT_LE(AheadOfWriteCursor(d, d.Fills.back().first), Lead) << "wake-up " << i;
            }
        }
        EXPECT_EQ(feeder.Played(), d.Total()) << "only what it played";
        EXPECT_EQ(d.Unwritten, 0u) << "bytes of the restored memory played";
        EXPECT_EQ(d.Old + d.Overwritten, 0u);
        EXPECT_EQ(d.Skipped, skippedAtStart) << "nothing skipped after a restore";
    }
}

// A stopped device is told by how long its position stood still in all: a
// buffer lost and restored now and then plays on, one that is lost again
// as soon as it is restored has stopped.
TEST(RingFeeder, OnlyPlayingGivesBackTheTimeABufferMayStandStill) {
    ScriptedRing d;
    const RingDevice device = d.Device();
    RingFeeder feeder(Ring, Rate, Lead, Stuck);
    feeder.Start(d.Play(), d.Now);
    for (int episode = 0; episode < 4; ++episode) {
        for (int i = 0; i < 40; ++i) ASSERT_TRUE(feeder.Feed(device, d.Now += Wake)) << episode;
        d.Lose();
        d.RestoreWorks = false;
        for (int i = 0; i < 70; ++i) ASSERT_TRUE(feeder.Feed(device, d.Now += Wake)) << "350 ms lost, " << episode;
        d.RestoreWorks = true;
    }
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(feeder.Feed(device, d.Now += Wake));
    EXPECT_EQ(feeder.Played(), d.Total());

    d.Lose();
    d.LostAgainAtOnce = true;
    const uint64_t lostAt = d.Now;
    uint64_t stoppedAt = 0;
    while (stoppedAt == 0 && d.Now - lostAt < 4 * Stuck)
        if (!feeder.Feed(device, d.Now += Wake)) stoppedAt = d.Now;
    ASSERT_NE(stoppedAt, 0u) << "still fed after " << d.Restores << " restores, each lost again by the next look";
    EXPECT_LE(stoppedAt - lostAt, Stuck + Wake);
    EXPECT_GT(d.Restores, 50);
}

}  // namespace
