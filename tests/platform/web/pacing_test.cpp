#include "platform/web/pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
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

// A frame a little early still counts and one earlier than the slack does
// not; a flip made a little before its deadline returns at once and one
// earlier waits; a flip a little less than the most lag behind keeps the
// beat and one a little more starts a new one.
TEST(FramePacer, SlackAndLagCountOnBothSidesOfTheirEdges) {
    constexpr double Period = FramePacer::PeriodMs, Slack = FramePacer::SlackMs, Lag = FramePacer::MaxLagMs;
    using Wait = FramePacer::Wait;
    FramePacer pacer;
    EXPECT_EQ(pacer.Flip(0), Wait::Frame);
    EXPECT_TRUE(pacer.Frame(100));  // the beat
    EXPECT_EQ(pacer.Flip(101), Wait::Frame);
    EXPECT_FALSE(pacer.Frame(100 + Period - Slack - 0.05));
    EXPECT_TRUE(pacer.Frame(100 + Period - Slack + 0.05));
    EXPECT_EQ(pacer.Flip(100 + 2 * Period - Slack + 0.05), Wait::Yield);
    EXPECT_EQ(pacer.Flip(100 + 3 * Period - Slack - 0.05), Wait::Frame);
    EXPECT_TRUE(pacer.Frame(100 + 3 * Period));
    EXPECT_DOUBLE_EQ(pacer.Deadline(), 100 + 3 * Period);

    EXPECT_EQ(pacer.Flip(pacer.Deadline() + Lag - 0.05), Wait::Yield);
    EXPECT_DOUBLE_EQ(pacer.Deadline(), 100 + 4 * Period) << "a flip within the lag keeps the beat";
    EXPECT_EQ(pacer.Flip(pacer.Deadline() + Lag + 0.05), Wait::Frame);
    EXPECT_TRUE(pacer.Frame(400));
    EXPECT_DOUBLE_EQ(pacer.Deadline(), 400) << "a flip past the lag starts a new beat at its frame";
}

// The short waits in a row that make the page quiet are counted afresh after
// every piece of news and every long wait, however many quiet spells came
// before.
TEST(DozePlan, QuietIsCountedAfreshAfterEveryNewsAndLongWait) {
    using plat::web::DozePlan;
    constexpr uint64_t NoVoice = UINT64_MAX;
    DozePlan plan;
    for (int spell = 0; spell < 4; ++spell) {
        SCOPED_TRACE("spell " + std::to_string(spell));
        const bool heard = spell % 2 == 1;
        const uint32_t doze = heard ? plat::web::DozeMs : plat::web::SilentDozeMs;
        if (spell == 2) {
            EXPECT_EQ(plan.Next(DozePlan::QuietDozeMs, heard, false, NoVoice), DozePlan::QuietDozeMs);
        } else {
            EXPECT_EQ(plan.Next(4, heard, true, NoVoice), 4u) << "news: the rest of a step, as asked";
        }
        for (uint32_t wait = 1; wait < DozePlan::QuietAfter; ++wait)
            ASSERT_EQ(plan.Next(4, heard, false, NoVoice), doze) << "wait " << wait;
        EXPECT_EQ(plan.Next(4, heard, false, NoVoice), DozePlan::QuietDozeMs);
        EXPECT_EQ(plan.Next(4, heard, false, 20), std::max<uint32_t>(doze, 20)) << "a voice that ends sooner";
        EXPECT_EQ(plan.Next(4, heard, false, NoVoice), DozePlan::QuietDozeMs);
    }
}

// The page stalls for a little, for about what it holds, and for far longer.
// After each, the mixer has moved over just the mix the page held and played,
// every frame once: where the page played on past what it held (or came
// within the margin of its end), it was counted dry and the mix follows on a
// margin after the play position, the frames between being the page's
// silence, never mixed. Otherwise the mixer stands exactly the lead ahead.
TEST(AudioFeed, AStalledPageIsFedOnFromWhereItStandsWhateverTheStall) {
    constexpr uint32_t Lead = AudioFeed::LeadFrames, Margin = AudioFeed::MarginFrames;
    for (const uint64_t stallMs : {10u, 200u, 480u, 500u, 520u, 560u, 3000u}) {
        SCOPED_TRACE("a stall of " + std::to_string(stallMs) + " ms");
        AudioFeed feed;
        // The mixer's place, the end of what the page holds, and the page's
        // silence, in the page's frames.
        uint64_t played = 5000, mixer = 0, heldEnd = 0, silence = 0;
        const auto pump = [&](bool changed) {
            const AudioStep step = feed.Pump(0, played, changed);
            if (mixer == 0) mixer = step.SendAt;  // the first pump sets the mixer the lead ahead
            mixer += step.Advance + step.Mix;
            if (step.Send() > 0) heldEnd = step.SendAt + step.Send();
            return step;
        };
        pump(true);
        for (int i = 0; i < 100; ++i) {  // 8 ms a look, a voice started now and then
            played += 353;
            pump(i % 17 == 0);
            ASSERT_EQ(mixer, played + Lead);
        }
        ASSERT_EQ(feed.Dry(), 0u);
        const uint64_t held = heldEnd, mixerBefore = mixer;
        played += stallMs * 441 / 10;
        const AudioStep step = pump(false);
        const bool ranDry = held < played + Margin;
        EXPECT_EQ(feed.Dry(), ranDry ? 1u : 0u);
        if (ranDry) {
            silence = played + Margin - held;
            EXPECT_EQ(step.Advance, held - mixerBefore) << "the mix the page held, moved over once";
            EXPECT_EQ(step.SendAt, played + Margin);
            EXPECT_EQ(step.Mix, Lead - Margin);
        } else if (step.Send() > 0) {
            EXPECT_EQ(step.SendAt, held) << "the top-up follows on from what the page holds";
        }
        EXPECT_EQ(mixer + silence, played + Lead);
        EXPECT_GE(heldEnd, played + Lead);
        for (int i = 0; i < 50; ++i) {
            played += 353;
            pump(false);
            ASSERT_EQ(mixer + silence, played + Lead);
        }
        EXPECT_EQ(feed.Dry(), ranDry ? 1u : 0u) << "only the stall ran dry";
        EXPECT_EQ(feed.LateChanges(), 0u);
    }
}

// The page says its pieces reached the device late: the lead grows by that
// and a little more, at once for what comes next, several times over, up to
// its most, and never shrinks; the mixer moves over each frame once on the
// way (it moves on, as the lead grows, by mixing what the page did not hold).
TEST(AudioFeed, ALeadThatCameLateGrowsByAsMuchUpToItsMost) {
    AudioFeed feed;
    uint64_t played = 1000, mixer = 0;
    const auto pump = [&](bool changed) {
        const AudioStep step = feed.Pump(0, played, changed);
        if (mixer == 0) mixer = step.SendAt;
        mixer += step.Advance + step.Mix;
    };
    pump(true);
    EXPECT_EQ(mixer, played + AudioFeed::LeadFrames);
    feed.HeardLate(0);
    EXPECT_EQ(feed.Lead(), AudioFeed::LeadFrames) << "nothing late, nothing changes";
    uint32_t lead = AudioFeed::LeadFrames;
    for (const uint32_t late : {441u, 882u, 1323u, 44100u}) {
        feed.HeardLate(late);
        lead = std::min(AudioFeed::MostLeadFrames, lead + late + AudioFeed::LateSpareFrames);
        EXPECT_EQ(feed.Lead(), lead) << late;
        for (int i = 0; i < 10; ++i) {
            played += 353;
            pump(i == 3);
            ASSERT_EQ(mixer, played + lead) << "the mixer stands the new lead ahead";
        }
    }
    EXPECT_EQ(feed.Lead(), AudioFeed::MostLeadFrames);
    EXPECT_EQ(feed.LateChanges(), 0u);
}

}  // namespace
