#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "bricks/brick_field.h"
#include "gfx/sheet_map.h"
#include "play/ball.h"
#include "play/capsules.h"
#include "play/crt_random.h"
#include "play/handoffs.h"
#include "play/kinds.h"
#include "play/paddle.h"
#include "play/play_globals.h"
#include "play/round_loop.h"
#include "play/status_panel.h"
#include "sound/voice.h"
#include "support/game_display.h"
#include "support/round_fixture.h"

namespace {

using plat::RectAt;
using testing_support::FlatPixel;
namespace headless = plat::headless;

// A seed whose second draw, modulo 200, is `draw`: the kind of a capsule
// released right after seeding.
uint32_t SeedForKindDraw(int draw) {
    for (uint32_t seed = 0;; ++seed) {
        crt::srand(seed);
        crt::rand();
        if (crt::rand() % 200 == draw) return seed;
    }
}

void Release(int32_t dropChance, int32_t column = 4, int32_t row = 2) {
    ReleaseCapsule(dropChance, column, row, CapsuleActive, ThePaddle, FrameCycle, CapsuleColumn, CapsuleY, TheCapsule);
}

// Every capsule frame on the sheet is a word of its own, so the back buffer
// tells which one a draw showed.
class CapsuleDrawTest : public testing_support::GameDisplayTest {
protected:
    void SetUp() override {
        GameDisplayTest::SetUp();
        ResetPlayGlobals();
        CapsuleAnimTick = CapsulePhase = CapsuleFrameY = CapsuleSheetX = 0;
        Paint(BackdropSurface, Backdrop);
        Paint(BackBuffer, Backdrop);
        for (int column = 0; column < 5; ++column)
            for (int frame = 0; frame < 13; ++frame) {
                plat::Fill(ElementsSurface, RectAt(1 + 52 * column, 1 + 22 * frame, 50, 21), Frame(column, 0, frame));
                plat::Fill(ElementsSurface, RectAt(1 + 52 * column, 287 + 22 * frame, 50, 20), Frame(column, 1, frame));
            }
    }
    void TearDown() override {
        ResetPlayGlobals();
        GameDisplayTest::TearDown();
    }
    static uint16_t Frame(int column, int block, int frame) {
        return static_cast<uint16_t>(0x1000 + column * 0x100 + block * 0x40 + frame);
    }
    static constexpr uint16_t Backdrop = 0x0BAC;
};

TEST_F(CapsuleDrawTest, TheAnimationStepsOnEveryFourthDrawInTheColumnOfTheKind) {
    TheCapsule.Kind = static_cast<int32_t>(CapsuleKind::Narrow);  // column 53, lower block of 20 rows
    CapsuleSheetX = 209;                                          // left by an earlier capsule
    auto drawn = [](int draws) {
        for (int draw = 0; draw < draws; ++draw) TheCapsule.Draw(3, 200);
        return At(BackBuffer, CellX(3) + 25, 210);
    };
    EXPECT_EQ(drawn(3), Frame(4, 1, 0));  // the earlier colour until the first step
    EXPECT_EQ(drawn(1), Frame(1, 1, 1));
    EXPECT_EQ(drawn(44), Frame(1, 1, 12));
    EXPECT_EQ(drawn(4), Frame(1, 1, 0));  // then frame 0 for 11 steps
    EXPECT_EQ(drawn(40), Frame(1, 1, 0));
    EXPECT_EQ(drawn(4), Frame(1, 1, 1));
    EXPECT_EQ(At(BackBuffer, CellX(3) + 25, 220), Backdrop);
    TheCapsule.Kind = static_cast<int32_t>(CapsuleKind::Points);  // upper block, 21 rows
    drawn(4);
    EXPECT_EQ(At(BackBuffer, CellX(3) + 25, 220), Frame(4, 0, 2));
}

TEST_F(CapsuleDrawTest, TheBricksInFrontOfTheCapsuleAreDrawnAgain) {
    for (auto& column : BrickField)
        for (int row = 0; row < PlayedRows; ++row) column[row] = BrickCell{0, 1, 0};
    // Bricks drawn for a capsule at (column, y) whose place two draws back lies above the field.
    auto bricksFor = [](int32_t column, int32_t y) {
        TheCapsule.Pos = SpritePos{};
        const uint64_t before = plat::GetStats().Blits;
        TheCapsule.Draw(column, y);
        return plat::GetStats().Blits - before - 2;  // less the erase and the capsule
    };
    EXPECT_EQ(bricksFor(5, 79), 2u);   // row 0 of its two columns, nothing above
    EXPECT_EQ(bricksFor(5, 80), 4u);   // rows 1 and 0
    EXPECT_EQ(bricksFor(12, 80), 2u);  // no column right of 12
    EXPECT_EQ(bricksFor(11, 80), 4u);  // column 12, under its last two pixels
    EXPECT_EQ(bricksFor(5, 439), 2u);  // rows 15 (always empty) and 14
    EXPECT_EQ(bricksFor(5, 440), 0u);
    // The place of two draws back is repaired too: rows 1 and 0, then row 0.
    bricksFor(5, 79);
    TheCapsule.Draw(5, 81);
    const uint64_t before = plat::GetStats().Blits;
    TheCapsule.Draw(5, 83);
    EXPECT_EQ(plat::GetStats().Blits - before - 2, 6u);
}

// The erase wipes both places; bricks come back only while the new place is
// inside the repair bound (y 79 to 415), and then at the old place too.
TEST_F(CapsuleDrawTest, AnEraseBelowTheRepairBoundLeavesTheOldPlaceUnrepaired) {
    constexpr uint16_t Brick = 0x0B1C;
    plat::Fill(ElementsSurface, RectAt(314, 1, 47, 23), Brick);  // picture of kind 0
    for (auto& column : BrickField)
        for (int row = 0; row < PlayedRows; ++row) column[row] = BrickCell{0, 1, 0};
    const struct {
        int32_t OldY, Y;
        uint16_t AtOldPlace;  // its top row, in row 13, which the new place does not cover
    } cases[] = {{397, 401, Brick}, {413, 415, Brick}, {413, 417, Backdrop}, {409, 419, Backdrop}};
    for (const auto& c : cases) {
        TheCapsule.Pos = SpritePos{7, c.OldY + 2, 7, c.OldY};
        plat::Fill(BackBuffer, RectAt(CellX(7), CellY(13), 47, 23), Brick);
        TheCapsule.Erase(7, c.Y);
        EXPECT_EQ(At(BackBuffer, CellX(7) + 20, c.OldY), c.AtOldPlace) << c.OldY << " to " << c.Y;
        EXPECT_EQ(At(BackBuffer, CellX(7) + 20, c.Y + 19), c.AtOldPlace == Brick ? Brick : Backdrop);
    }
}

TEST_F(CapsuleDrawTest, TheReleaseDrawsItsChanceOnEveryBreak) {
    // Whether the generator's next number is the one after `used` draws from `seed`.
    auto drew = [](uint32_t seed, int used) {
        const int next = crt::rand();
        crt::srand(seed);
        for (int i = 0; i < used; ++i) crt::rand();
        return crt::rand() == next;
    };
    ThePaddle.PaddleKind = PaddleNormal;
    for (uint32_t seed = 0; seed < 50; ++seed) {
        crt::srand(seed);
        Release(0);
        EXPECT_EQ(CapsuleActive, 0);
        EXPECT_TRUE(drew(seed, 1));
    }
    FrameCycle = 7;
    crt::srand(5);
    Release(100);
    EXPECT_EQ(CapsuleActive, 1);
    EXPECT_EQ(CapsuleColumn, 4);
    EXPECT_EQ(CapsuleY, 127);  // the brick's top edge
    EXPECT_EQ(FrameCycle, 0);
    EXPECT_TRUE(drew(5, 2));
    crt::srand(5);
    Release(100, 9);  // a capsule already falls
    EXPECT_EQ(CapsuleColumn, 4);
    EXPECT_TRUE(drew(5, 1));
    CapsuleActive = 0;
    ThePaddle.PaddleKind = PaddleExit;
    crt::srand(5);
    Release(100);
    EXPECT_EQ(CapsuleActive, 0);
    EXPECT_TRUE(drew(5, 1));
}

TEST_F(CapsuleDrawTest, TheKindsShareTwoHundredDraws) {
    using enum CapsuleKind;
    const std::pair<int, CapsuleKind> edges[] = {
        {0, Exit},   {10, Exit},  {11, ExtraLife}, {20, ExtraLife}, {21, Laser},   {40, Laser},
        {41, Catch}, {70, Catch}, {71, Wide},      {95, Wide},      {96, Narrow},  {125, Narrow},
        {126, Slow}, {150, Slow}, {151, Reverse},  {175, Reverse},  {176, Points}, {199, Points},
    };
    ThePaddle.PaddleKind = PaddleNormal;
    for (const auto& [draw, kind] : edges) {
        CapsuleActive = 0;
        crt::srand(SeedForKindDraw(draw));
        Release(100);
        EXPECT_EQ(static_cast<CapsuleKind>(TheCapsule.Kind), kind) << draw;
    }
}

// The table of kinds: every released kind wears a place on the sheet of its
// own, every draw gives exactly one kind, and every voice named exists.
TEST(CapsuleKinds, EachKindHasItsOwnPlaceEveryDrawOneKindAndEveryVoiceExists) {
    std::map<std::pair<int32_t, bool>, std::string> places;
    int32_t kindsOfDraw[200] = {};
    for (const CapsuleKindFacts& facts : CapsuleKinds) {
        EXPECT_GE(facts.SheetColumn, 0) << facts.Name;
        EXPECT_LT(facts.SheetColumn, sheets::CapsuleColumns) << facts.Name;
        if (facts.CatchVoice != nullptr) {
            EXPECT_NE(VoiceNamed(facts.CatchVoice), nullptr) << facts.Name;
        }
        for (int32_t draw = std::max(facts.FirstDraw, 0); draw <= std::min(facts.LastDraw, 199); ++draw)
            ++kindsOfDraw[draw];
        if (facts.Kind == CapsuleKind::NoCapsule) continue;  // drawn like Points, and never released
        const auto [at, fresh] = places.insert({{facts.SheetColumn, facts.LowerBlock}, facts.Name});
        EXPECT_TRUE(fresh) << facts.Name << " wears the place of " << at->second;
        EXPECT_LE(facts.FirstDraw, facts.LastDraw) << facts.Name << " is never released";
    }
    for (int32_t draw = 0; draw < 200; ++draw) EXPECT_EQ(kindsOfDraw[draw], 1) << draw;
    const CapsuleKindFacts& none = FactsOf(CapsuleKind::NoCapsule);
    const CapsuleKindFacts& points = FactsOf(CapsuleKind::Points);
    EXPECT_EQ(std::pair(none.SheetColumn, none.LowerBlock), std::pair(points.SheetColumn, points.LowerBlock));
    EXPECT_EQ(FactsOf(0), nullptr);
    EXPECT_EQ(FactsOf(11), nullptr);
}

TEST_F(CapsuleDrawTest, TheCatchWindowStepsBy47AndIgnoresThePaddlesWidth) {
    // One step of a capsule of `column` falling from `y`, the paddle at `paddleX`.
    auto caught = [](int32_t column, int32_t y, int32_t paddleX) {
        CapsuleActive = 1;
        FrameCycle = 1;
        CapsuleColumn = column;
        CapsuleY = y;
        PaddleX = paddleX;
        TheCapsule.Kind = static_cast<int32_t>(CapsuleKind::Points);
        Score = 0;
        const bool result = StepCapsule() == 1;
        EXPECT_EQ(result, Score == 1000);
        EXPECT_EQ(result, CapsuleY == 600);
        return result;
    };
    EXPECT_TRUE(caught(0, 541, 59));
    EXPECT_FALSE(caught(0, 541, 60));
    EXPECT_FALSE(caught(12, 541, 499));
    EXPECT_TRUE(caught(12, 541, 500));
    EXPECT_TRUE(caught(12, 541, 623));
    EXPECT_FALSE(caught(12, 541, 624));
    EXPECT_FALSE(caught(6, 531, 282));  // its y after the fall of 2 must lie in 535 to 561
    EXPECT_TRUE(caught(6, 533, 282));
    EXPECT_TRUE(caught(6, 559, 282));
    EXPECT_FALSE(caught(6, 561, 282));
    EXPECT_EQ(CapsuleActive, 1);
    EXPECT_FALSE(caught(6, 589, 282));  // missed, it is gone past 590
    EXPECT_EQ(CapsuleActive, 0);
}

// A settled round on the test art, with voices, and an empty field.
class CapsulePlayTest : public testing_support::EmptyFieldTest {
protected:
    void SetUp() override {
        EmptyFieldTest::SetUp();
        PaddleX = 300;
        MorphTick = 7;
    }
    // The effect of `kind` caught by a paddle of `paddleKind`.
    static void Caught(CapsuleKind kind, int32_t paddleKind) {
        ThePaddle.PaddleKind = paddleKind;
        Morphing = 0;
        BallHeld = 1;
        ApplyCapsuleEffect(static_cast<int32_t>(kind));
    }
    static std::pair<int32_t, int32_t> MorphStart() {
        EXPECT_EQ(Morphing, 1);
        return {ThePaddle.PaddleMorph, ThePaddle.PaddleFrame};
    }
};

TEST_F(CapsulePlayTest, PaddleCapsulesMorphFromTheOldKind) {
    Caught(CapsuleKind::Laser, PaddleNormal);
    EXPECT_EQ(ThePaddle.PaddleKind, PaddleLaser);
    EXPECT_EQ(BallHeld, 0);
    EXPECT_EQ(MorphTick, 0);
    EXPECT_EQ(MorphStart(), std::pair(0, 0));
    Caught(CapsuleKind::Catch, PaddleLaser);
    EXPECT_EQ(ThePaddle.PaddleKind, PaddleCatch);
    EXPECT_EQ(BallHeld, 1);  // the catch paddle keeps a resting ball
    EXPECT_EQ(ThePaddle.CatchArmed, 1);
    EXPECT_EQ(MorphStart(), std::pair(4, 4));
    Caught(CapsuleKind::Wide, PaddleNarrow);
    EXPECT_EQ(ThePaddle.PaddleKind, PaddleWide);
    EXPECT_EQ(MorphStart(), std::pair(8, 5));
    EXPECT_TRUE(Sounding(VoiceExpand));
    Caught(CapsuleKind::Narrow, PaddleWide);
    EXPECT_EQ(ThePaddle.PaddleKind, PaddleNarrow);
    EXPECT_EQ(MorphStart(), std::pair(6, 5));
    EXPECT_TRUE(Sounding(VoiceShrink));
    Caught(CapsuleKind::Exit, PaddleLaser);
    EXPECT_EQ(ThePaddle.PaddleKind, PaddleExit);
    EXPECT_EQ(MorphStart(), std::pair(4, 4));

    // Wide on a wide paddle: the catch points and nothing else.
    Caught(CapsuleKind::Points, PaddleWide);
    CapsuleActive = 1;
    FrameCycle = 1;
    CapsuleColumn = 6;
    CapsuleY = 541;
    TheCapsule.Kind = static_cast<int32_t>(CapsuleKind::Wide);
    Score = 40;
    EXPECT_EQ(StepCapsule(), 1);
    EXPECT_EQ(Score, 1040);
    EXPECT_EQ(ThePaddle.PaddleKind, PaddleWide);
    EXPECT_EQ(Morphing, 0);
    EXPECT_EQ(BallHeld, 1);
}

TEST_F(CapsulePlayTest, SlowReverseAndExtraLifeTurnThePaddleBackToNormal) {
    for (const auto& [from, to] : {std::pair{2.0f, 1.5f}, {9.0f, 6.0f}, {7.0f, 5.0f}, {6.0f, 5.0f}}) {
        BallSpeed = from;
        Caught(CapsuleKind::Slow, PaddleNormal);
        EXPECT_FLOAT_EQ(BallSpeed, to) << from;
        EXPECT_EQ(Morphing, 0);  // from normal nothing more
    }
    Caught(CapsuleKind::Slow, PaddleLaser);
    EXPECT_EQ(ThePaddle.PaddleKind, PaddleNormal);
    EXPECT_EQ(MorphStart(), std::pair(4, 4));

    TheBall.DirX = 1;
    TheBall.DirY = -1;
    Caught(CapsuleKind::Reverse, PaddleNormal);
    EXPECT_EQ(std::pair(TheBall.DirX, TheBall.DirY), std::pair(-1, 1));
    EXPECT_EQ(BallHeld, 0);

    Lives = 3;
    Caught(CapsuleKind::ExtraLife, PaddleNormal);  // silently
    EXPECT_EQ(Lives, 4);
    EXPECT_FALSE(Sounding(VoiceBonus));
    EXPECT_EQ(Morphing, 0);
    Caught(CapsuleKind::ExtraLife, PaddleCatch);
    EXPECT_EQ(Lives, 5);
    EXPECT_TRUE(Sounding(VoiceBonus));
    EXPECT_EQ(ThePaddle.PaddleKind, PaddleNormal);
    EXPECT_EQ(MorphStart(), std::pair(2, 4));
}

TEST_F(CapsulePlayTest, TheExitGateFirstGlowsOnTheThirteenthStepOfTheGame) {
    Caught(CapsuleKind::Exit, PaddleNormal);
    EXPECT_EQ(ThePaddle.PaddleKind, PaddleExit);
    EXPECT_EQ(Morphing, 0);
    EXPECT_EQ(BallHeld, 0);
    BallHeld = 1;
    for (int step = 1; step <= 12; ++step) PlayFrame();
    EXPECT_EQ(GateFrame, 0);
    EXPECT_EQ(At(PrimarySurface, 660, 590), Packed(FlatPixel(1)));  // the wall
    PlayFrame();
    EXPECT_EQ(GateFrame, 1);
    EXPECT_EQ(At(PrimarySurface, 660, 590), Packed(FlatPixel(0)));  // the gate
    // A later exit in the same game opens the gate at once.
    Caught(CapsuleKind::Exit, PaddleWide);
    PlayFrame();
    EXPECT_EQ(GateFrame, 2);
}

TEST_F(CapsulePlayTest, TheGateGlowsThroughAllNineFramesInTurn) {
    for (int frame = 0; frame < 9; ++frame)
        plat::Fill(ElementsSurface, RectAt(750, 37 + 56 * frame, 17, 53), static_cast<uint16_t>(0x0900 + frame));
    ThePaddle.PaddleKind = PaddleExit;
    GateTick = 12;
    for (int step = 0; step < 20; ++step) {
        PlayFrame();
        EXPECT_EQ(At(PrimarySurface, 660, 590), 0x0900 + step % 9) << step;
    }
}

TEST_F(CapsulePlayTest, TheExitPaddleSlidesThroughTheGateIn172StepsAndEndsTheRound) {
    ThePaddle.PaddleKind = PaddleExit;
    PaddleX = 558;
    CapsuleActive = 1;
    CapsuleY = 301;
    headless::Schedule({NowMs(), plat::MotionEvent(3, 0)});
    uint64_t presents = 0;
    headless::SetFlipObserver([&](uint64_t) { ++presents; });
    const uint64_t start = NowMs();
    PlayFrame();
    EXPECT_EQ(presents, 172u + 1u);  // the slide, then the step's own
    EXPECT_GE(NowMs() - start, 172u * 30u);
    EXPECT_FALSE(Sounding(VoiceWarp));  // waited out
    EXPECT_EQ(ThePaddle.Pos.PrevX, 729);
    EXPECT_EQ(PaddleX, 561);  // not clamped
    EXPECT_EQ(CapsuleActive, 0);
    EXPECT_EQ(RoundSetupPending, 1);
    EXPECT_EQ(RoundNumber, 2);
    PlayFrame();
    EXPECT_EQ(BricksLeft, 91);
}

TEST_F(CapsulePlayTest, ABrokenBrickDropsACapsuleThatThePaddleCatches) {
    BrickField[12][14] = BrickCell{0, 1, 100};
    BallHeld = 0;
    BallX = 620;
    BallY = 430;
    TheBall = Ball{2, 8, 1, -1, TheBall.Pos};
    crt::srand(SeedForKindDraw(80));  // Wide
    Score = 0;
    PlayFrame();
    ASSERT_EQ(CapsuleActive, 1);
    EXPECT_EQ(TheCapsule.Kind, static_cast<int32_t>(CapsuleKind::Wide));
    EXPECT_EQ(TheCapsule.Pos.X, 12);
    EXPECT_EQ(TheCapsule.Pos.Y, 415);  // drawn in the step of the break, where the brick was
    BallHeld = 1;                      // parked out of the way
    BallX = 200;
    BallY = 544;
    PaddleX = 550;
    int steps = 0;
    for (; CapsuleActive == 1 && steps < 100; ++steps) PlayFrame();
    EXPECT_EQ(steps, (535 - 415) / 2);
    EXPECT_EQ(Score, 1010);
    EXPECT_EQ(ThePaddle.PaddleKind, PaddleWide);
    // Wiped from both pages, above the paddle line too.
    EXPECT_EQ(At(PrimarySurface, CellX(12) + 25, 540), Packed(FlatPixel(5)));
    EXPECT_EQ(At(BackBuffer, CellX(12) + 25, 540), Packed(FlatPixel(5)));
}

}  // namespace
