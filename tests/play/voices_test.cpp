// Which voice each moment of play sounds, and how: a voice the game plays
// starts again from the top even while it sounds; one it starts goes on from
// where it stands. Heard in the voices' own buffers, and asked of the game as
// VoiceObserver reports it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bricks/brick_field.h"
#include "play/ball.h"
#include "play/ball_collision.h"
#include "play/capsules.h"
#include "play/handoffs.h"
#include "play/kinds.h"
#include "play/lasers.h"
#include "play/paddle.h"
#include "play/round_loop.h"
#include "play/status_panel.h"
#include "sound/voice.h"
#include "support/round_fixture.h"

namespace {

namespace headless = plat::headless;

std::vector<std::string> asked;

// The test voices last 50 ms: half-way is 1100 frames in.
constexpr uint32_t HalfWay = 1100 * plat::SoundBytesPerFrame;

class VoiceMomentTest : public testing_support::EmptyFieldTest {
protected:
    void SetUp() override {
        EmptyFieldTest::SetUp();
        Quiet();
        VoiceObserver = [](VoiceOp op, const Voice& v) {
            asked.push_back(std::string(VoiceOpName(op)) + " " + VoiceName(v));
        };
    }
    void TearDown() override {
        VoiceObserver = nullptr;
        EmptyFieldTest::TearDown();
    }
    // Every voice stopped at its start; nothing asked yet.
    static void Quiet() {
        for (const VoiceFile& v : VoiceInventory) {
            plat::SoundStop(v.Target->Buffer);
            plat::SoundSetPosition(v.Target->Buffer, 0);
        }
        asked.clear();
    }
    // The voice stands half-way through, sounding or stopped there.
    static void StandHalfWay(Voice& voice, bool sounding) {
        plat::SoundSetPosition(voice.Buffer, HalfWay);
        if (sounding) plat::SoundPlay(voice.Buffer);
    }
    static uint32_t Where(const Voice& voice) { return plat::SoundGetPosition(voice.Buffer); }
    // The voices sounding now, by name.
    static std::vector<std::string> SoundingNow() {
        std::vector<std::string> names;
        for (const VoiceFile& v : VoiceInventory)
            if (plat::SoundStatus(v.Target->Buffer) == plat::SoundStatusPlaying) names.emplace_back(v.Name);
        return names;
    }
};

using Names = std::vector<std::string>;

// Each catch: the voice of its kind or none, started or played, and no
// other voice. A voice that starts goes on from where it stood; one that is
// played begins again.
TEST_F(VoiceMomentTest, EachCatchSoundsItsOwnVoiceStartedOrPlayedAsItMust) {
    using enum CapsuleKind;
    const struct {
        CapsuleKind Kind;
        int32_t Paddle;
        const char* Voice;  // null: the catch is silent
        bool Restarts;
    } cases[] = {
        {Wide, PaddleNormal, "VoiceExpand", false},    {Wide, PaddleNarrow, "VoiceExpand", false},
        {Narrow, PaddleNormal, "VoiceShrink", true},   {Narrow, PaddleWide, "VoiceShrink", true},
        {ExtraLife, PaddleCatch, "VoiceBonus", false}, {ExtraLife, PaddleLaser, "VoiceBonus", false},
        {ExtraLife, PaddleNormal, nullptr, false},     {Wide, PaddleWide, nullptr, false},
        {Narrow, PaddleNarrow, nullptr, false},        {Laser, PaddleNormal, nullptr, false},
        {Catch, PaddleLaser, nullptr, false},          {Exit, PaddleWide, nullptr, false},
        {Slow, PaddleNarrow, nullptr, false},          {Reverse, PaddleCatch, nullptr, false},
        {Points, PaddleNormal, nullptr, false},
    };
    for (const auto& c : cases) {
        const std::string name = FactsOf(c.Kind).Name;
        SCOPED_TRACE(name + " caught by paddle kind " + std::to_string(c.Paddle));
        for (const bool sounding : {false, true}) {
            Quiet();
            Voice* voice = c.Voice != nullptr ? VoiceNamed(c.Voice) : nullptr;
            if (voice != nullptr) StandHalfWay(*voice, sounding);
            ThePaddle.PaddleKind = c.Paddle;
            Morphing = 0;
            ApplyCapsuleEffect(static_cast<int32_t>(c.Kind));
            if (voice == nullptr) {
                EXPECT_EQ(asked, Names{});
                EXPECT_EQ(SoundingNow(), Names{});
                continue;
            }
            EXPECT_EQ(asked, Names{std::string(c.Restarts ? "play " : "start ") + c.Voice});
            EXPECT_EQ(SoundingNow(), Names{c.Voice});
            EXPECT_EQ(Where(*voice), c.Restarts ? 0u : HalfWay) << (sounding ? "sounding" : "stopped") << " half-way";
        }
    }
}

// Each volley restarts its pair's own shot from the top, even while the last
// one still sounds: the first pair's voice, then the second's.
TEST_F(VoiceMomentTest, EachVolleyRestartsItsOwnPairsShot) {
    ThePaddle.PaddleKind = PaddleLaser;
    PaddleX = 200;
    StandHalfWay(VoiceLaserA, true);
    StandHalfWay(VoiceLaserB, true);
    FireLasers();
    EXPECT_EQ(asked, Names{"play VoiceLaserA"});
    EXPECT_EQ(Where(VoiceLaserA), 0u);
    EXPECT_EQ(Where(VoiceLaserB), HalfWay);
    asked.clear();
    LaserCooldown = 0;  // the first pair still in flight
    FireLasers();
    EXPECT_EQ(asked, Names{"play VoiceLaserB"});
    EXPECT_EQ(Where(VoiceLaserB), 0u);
    EXPECT_EQ(LaserPairB.Active, 1);
}

// A brick that holds rings high, one that breaks rings low, each from the
// top even while the last ping still sounds.
TEST_F(VoiceMomentTest, EveryBrickHitPingsFromTheTop) {
    BrickField[5][5] = BrickCell{8, 2, 0};
    const auto hit = [] {
        BallX = 285;
        BallY = 210;
        TheBall = Ball{2, 3, 1, -1, {}};
        int32_t column = 0, row = -1, broken = 0;
        CollideBallWithBricks(column, row, TheBall, BallX, BallY, BallSpeed, broken, CapsuleActive, ThePaddle,
                              FrameCycle, CapsuleColumn, CapsuleY, TheCapsule);
    };
    StandHalfWay(VoiceBrickHigh, true);
    StandHalfWay(VoiceBrickLow, true);
    hit();
    EXPECT_EQ(asked, Names{"play VoiceBrickHigh"});
    EXPECT_EQ(Where(VoiceBrickHigh), 0u);
    EXPECT_EQ(Where(VoiceBrickLow), HalfWay);
    asked.clear();
    StandHalfWay(VoiceBrickHigh, true);
    hit();
    EXPECT_EQ(asked, Names{"play VoiceBrickLow"});
    EXPECT_EQ(Where(VoiceBrickLow), 0u);
    EXPECT_EQ(Where(VoiceBrickHigh), HalfWay);
}

// The voices the game waits out: the crash and then the fanfare of the next
// life, or the game-over tune after the last; the warp of the exit. Each is
// started, so that one left standing goes on, and then waited for.
TEST_F(VoiceMomentTest, TheVoicesTheGameWaitsOutAreStartedThenWaitedFor) {
    const auto loseTheBall = [] {
        BallHeld = 0;
        BallX = 300;
        BallY = 590;
        TheBall.DirY = 1;
        PlayFrame();
    };
    Lives = 3;
    loseTheBall();
    EXPECT_EQ(asked, (Names{"start VoiceCrash", "wait VoiceCrash", "start VoiceFanfare", "wait VoiceFanfare"}));
    EXPECT_EQ(Lives, 2);
    Quiet();
    Lives = 1;
    loseTheBall();
    EXPECT_EQ(asked, (Names{"start VoiceCrash", "wait VoiceCrash", "start VoiceGameOver", "wait VoiceGameOver"}));
    EXPECT_EQ(Lives, 0);

    Quiet();
    RunExitSequence();
    EXPECT_EQ(asked, (Names{"start VoiceWarp", "wait VoiceWarp"}));
    EXPECT_EQ(SoundingNow(), Names{});
}

}  // namespace
