#include "platform/web/pacing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

namespace {

using plat::web::AudioFeed;
using plat::web::AudioStep;
using plat::web::FramePacer;

// The browser back end's flip, on a simulated screen: animation frames every
// 1000 / hz ms, each stamp off by up to `wobbleMs`. Each game step costs
// `workMs`; a bare yield costs 0.1 ms.
struct Screen {
    double Hz;
    double WobbleMs = 0;
    double Now = 0;
    long Frame = 0;

    double NextFrame() {
        for (;;) {
            ++Frame;
            const double stamp = Frame * 1000.0 / Hz + WobbleMs * std::sin(Frame * 1.7);
            if (stamp > Now) return Now = stamp;
        }
    }
};

void FlipOn(Screen& screen, FramePacer& pacer) {
    if (pacer.Flip(screen.Now) == FramePacer::Wait::Yield) {
        screen.Now += 0.1;
        return;
    }
    while (!pacer.Frame(screen.NextFrame())) {
    }
}

TEST(FramePacer, SixtyFlipsASecondOnEveryRefreshRate) {
    for (double hz : {30.0, 50.0, 59.94, 60.0, 75.0, 120.0, 144.0, 240.0}) {
        for (double workMs : {1.0, 9.0}) {
            Screen screen{hz, hz == 60.0 ? 0.8 : 0.0};
            FramePacer pacer;
            int flips = 0;
            double worstLag = 0;
            while (screen.Now < 60000) {
                screen.Now += workMs;
                FlipOn(screen, pacer);
                ++flips;
                worstLag = std::max(worstLag, screen.Now - pacer.Deadline());
            }
            // A simulated minute: 3600 flips, give or take the one in progress.
            EXPECT_NEAR(flips, 3600, 2) << hz << " Hz, " << workMs << " ms a step";
            EXPECT_LT(worstLag, 1000.0 / hz + FramePacer::PeriodMs) << hz << " Hz";
        }
    }
}

// How many animation frames each of `count` flips waited for.
std::vector<long> FramesPerFlip(Screen& screen, FramePacer& pacer, int count) {
    std::vector<long> waited;
    for (int i = 0; i < count; ++i) {
        screen.Now += 1;
        const long before = screen.Frame;
        FlipOn(screen, pacer);
        waited.push_back(screen.Frame - before);
    }
    return waited;
}

TEST(FramePacer, EachFlipTakesItsOwnFramesAndAfterAStallDoesNotRace) {
    // 60 Hz with stamps wobbling around the deadlines: one frame each, never
    // two flips in one frame and then a frame shown twice.
    Screen steady{60.0, 1.5};
    FramePacer steadyPacer;
    const std::vector<long> waited = FramesPerFlip(steady, steadyPacer, 600);
    for (size_t i = 1; i < waited.size(); ++i) EXPECT_EQ(waited[i], 1) << "flip " << i;

    // Faster screens: an even rhythm of frames, 60 flips a second.
    for (auto [hz, frames] : {std::pair{120.0, 2L}, std::pair{240.0, 4L}}) {
        Screen screen{hz};
        FramePacer pacer;
        const std::vector<long> fast = FramesPerFlip(screen, pacer, 300);
        for (size_t i = 1; i < fast.size(); ++i) EXPECT_EQ(fast[i], frames) << hz << " Hz, flip " << i;
    }
    Screen screen{144.0};
    FramePacer pacer;
    const std::vector<long> fast = FramesPerFlip(screen, pacer, 300);
    for (size_t i = 1; i < fast.size(); ++i) EXPECT_TRUE(fast[i] == 2 || fast[i] == 3) << "flip " << i;

    // A hidden tab: no frames for five seconds. The game then goes on at 60 a
    // second from where it is, rather than making up the lost 300 flips.
    screen.Now += 5000;
    const double resumed = screen.Now;
    int flips = 0;
    while (screen.Now < resumed + 1000) {
        screen.Now += 1;
        FlipOn(screen, pacer);
        ++flips;
    }
    EXPECT_NEAR(flips, 60, 2);
}

TEST(AudioFeed, TheSilentClockKeepsExactTimeAndPlayingKeepsTheLead) {
    AudioFeed feed;
    // Silent: uneven waits of a little over a millisecond add up to exactly
    // the frames of the time passed, with no fraction lost on the way.
    uint64_t now = 5000000, advanced = 0;
    feed.Pump(now, std::nullopt, false);
    for (int i = 0; i < 100000; ++i) {
        now += 1000 + static_cast<uint64_t>(i % 7) * 37;
        advanced += feed.Pump(now, std::nullopt, false).Advance;
    }
    EXPECT_EQ(advanced, (now - 5000000) * 44100 / 1000000);
    EXPECT_EQ(feed.Pump(now, std::nullopt, false).Send(), 0u);

    // The page's audio runs: the mixer stands the lead ahead of the play
    // position, and what is to come is sent ahead of it without moving it.
    constexpr uint32_t Lead = AudioFeed::LeadFrames, Ahead = AudioFeed::AheadFrames;
    AudioStep step = feed.Pump(now, 1000u, false);
    EXPECT_EQ(step.Advance, 0u);
    EXPECT_EQ(step.Mix, 0u);
    EXPECT_EQ(step.AheadSkip, 0u);
    EXPECT_EQ(step.Ahead, Ahead);
    EXPECT_EQ(step.SendAt, 1000u + Lead);
    // Played on by 300 frames: the mixer moves over them; the page holds
    // enough still.
    step = feed.Pump(now, 1300u, false);
    EXPECT_EQ(step.Advance, 300u);
    EXPECT_EQ(step.Send(), 0u) << "a sliver waits";
    // Once a top-up's worth is missing, what is sent follows on from what
    // the page holds.
    uint64_t played = 1000u + AudioFeed::LeastTopUp;
    EXPECT_EQ(feed.Pump(now, played - 1, false).Send(), 0u);
    step = feed.Pump(now, played, false);
    EXPECT_EQ(step.Advance, 1u);
    EXPECT_EQ(step.Mix, 0u);
    EXPECT_EQ(step.AheadSkip, Ahead - AudioFeed::LeastTopUp);
    EXPECT_EQ(step.Ahead, AudioFeed::LeastTopUp);
    EXPECT_EQ(step.SendAt, 1000u + Lead + Ahead);

    // The game started a voice: the mixer's own frames from where it stands,
    // then all that is to come, in place of what the page held.
    step = feed.Pump(now, played + 100, true);
    EXPECT_EQ(step.Advance, 0u);
    EXPECT_EQ(step.SendAt, played + Lead);
    EXPECT_EQ(step.Mix, 100u);
    EXPECT_EQ(step.AheadSkip, 0u);
    EXPECT_EQ(step.Ahead, Ahead);
    played += 100;
    EXPECT_EQ(feed.LateChanges(), 0u);

    // The page stalled past the mix ahead: the mixer moves over all that the
    // page held, and the rest follows a little after the play position.
    played += Lead + Ahead + 1000;
    step = feed.Pump(now, played, false);
    EXPECT_EQ(feed.Dry(), 1u);
    EXPECT_EQ(step.Advance, Ahead);
    EXPECT_EQ(step.SendAt, played + AudioFeed::MarginFrames);
    EXPECT_EQ(step.Mix, Lead - AudioFeed::MarginFrames);
    EXPECT_EQ(step.Ahead, Ahead);

    // A change noticed after the page played past the mixer is late: it is
    // heard from a little after the play position.
    played += Lead;
    step = feed.Pump(now, played, true);
    EXPECT_EQ(feed.LateChanges(), 1u);
    EXPECT_EQ(step.Advance, 0u);
    EXPECT_EQ(step.SendAt, played + AudioFeed::MarginFrames);
    EXPECT_EQ(step.Mix, Lead - AudioFeed::MarginFrames);
    EXPECT_EQ(feed.Dry(), 1u);

    // Audio stops (the context was suspended): the silent clock takes over from
    // then, without counting the time the page played.
    now += 10000000;
    EXPECT_EQ(feed.Pump(now, std::nullopt, false).Advance, 0u);
    EXPECT_EQ(feed.Pump(now + 1000000, std::nullopt, false).Advance, 44100u);
    // and when it runs again, the mixer stands the lead ahead afresh.
    step = feed.Pump(now, 900000u, false);
    EXPECT_EQ(step.SendAt, 900000u + Lead);
    EXPECT_EQ(step.Ahead, Ahead);
}

}  // namespace
