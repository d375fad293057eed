#include <gtest/gtest.h>

#include <vector>

#include "bricks/brick_field.h"
#include "bricks/round_backdrop.h"
#include "gfx/bitmap.h"
#include "gfx/screen_map.h"
#include "gfx/sheet_map.h"
#include "play/ball.h"
#include "play/ball_collision.h"
#include "play/capsules.h"
#include "play/crt_random.h"
#include "play/lasers.h"
#include "play/paddle.h"
#include "play/round_loop.h"
#include "play/round_screens.h"
#include "play/status_panel.h"
#include "shell/entry.h"
#include "sound/voice.h"
#include "support/round_fixture.h"

namespace {

namespace headless = plat::headless;
using plat::RectAt;
using testing_support::FlatPixel;
using testing_support::RoundTest;

TEST_F(RoundTest, ANewGameRedrawsTheFieldSixteenTimesAndAnnouncesOnTheFifteenthCall) {
    RoundNumber = 9;
    Score = 1234;
    for (int call = 1; call <= 14; ++call) {
        ASSERT_EQ(PlayFrame(), 1);
        ASSERT_EQ(Flips(), 2u * call) << call;  // the field, presented twice
    }
    EXPECT_EQ(RoundNumber, 1);
    EXPECT_EQ(Score, 0);
    EXPECT_EQ(BricksLeft, 78);
    const uint64_t before = headless::NowMicros();
    PlayFrame();  // field twice, then the announcement with its two presents
    EXPECT_EQ(Flips(), 28u + 4u);
    EXPECT_GE(headless::NowMicros() - before, 50000u);  // the fanfare's length
    PlayFrame();                                        // the last redraw, and the first play step
    EXPECT_EQ(Flips(), 32u + 3u);
    EXPECT_EQ(RoundFrameCount, 16);
    PlayFrame();  // a pure play step
    EXPECT_EQ(Flips(), 35u + 1u);
    for (int call = 0; call < 5; ++call) PlayFrame();
    EXPECT_EQ(RoundFrameCount, 17);
}

TEST_F(RoundTest, RoundOneStandsOverItsBackdropWithWallsAndBricks) {
    Settle();
    // The walls are laid into the clean backdrop too, so erasing restores them.
    EXPECT_EQ(At(BackdropSurface, 8, 300), Packed(FlatPixel(1)));
    EXPECT_EQ(At(BackdropSurface, 300, 6), Packed(FlatPixel(1)));
    EXPECT_EQ(At(BackdropSurface, 667, 300), Packed(FlatPixel(1)));
    EXPECT_EQ(At(BackdropSurface, 300, 300), Packed(FlatPixel(5)));  // LEVEL1.GRA
    EXPECT_EQ(At(BackdropSurface, 30, 110), Packed(FlatPixel(5)));   // no bricks in the backdrop
    for (plat::Surface* s : {PrimarySurface, BackBuffer}) {
        EXPECT_EQ(At(s, 30, 110), Packed(FlatPixel(0)));  // row 1, a brick from the sheet
        EXPECT_EQ(At(s, 30, 90), Packed(FlatPixel(5)));   // row 0 is empty in round 1
        EXPECT_EQ(At(s, 5, 300), 0);                      // outside the walls, cleared black
    }
}

TEST_F(RoundTest, TheFieldResetSeedsTheRandomNumbersFromTheClock) {
    // srand(time); srand(rand() % 100); two draws thrown away.
    crt::srand(1000);
    crt::srand(static_cast<uint32_t>(crt::rand() % 100));
    crt::rand();
    crt::rand();
    const int expected = crt::rand();

    headless::Reset(headless::Config{.StartSeconds = 1000});
    ASSERT_TRUE(SetupDevices());
    crt::srand(77);
    PlayFrame();
    EXPECT_EQ(crt::rand(), expected);
}

TEST_F(RoundTest, TheSweepRepairsEveryCellIn195StepsAndTheBallCellsNeighbours) {
    Settle();
    // Wipe the last cell from both pages; only the sweep brings it back.
    const int column = 12, row = 5;
    BrickField[column][row] = BrickCell{2, 1, 0};
    const plat::Rect cell = RectAt(CellX(column), CellY(row), 47, 23);
    plat::Blit(BackBuffer, cell, BackdropSurface, cell, plat::BlitMode::Opaque);
    plat::Blit(PrimarySurface, cell, BackdropSurface, cell, plat::BlitMode::Opaque);
    const int stepsToReach = row * 13 + column - (RepairRow * 13 + RepairColumn);
    for (int step = 0; step < stepsToReach; ++step) PlayFrame();
    EXPECT_EQ(At(PrimarySurface, CellX(column) + 5, CellY(row) + 5), Packed(FlatPixel(5)));
    PlayFrame();  // drawn into the back buffer, then into the other page after the flip
    EXPECT_EQ(At(PrimarySurface, CellX(column) + 5, CellY(row) + 5), Packed(FlatPixel(0)));
    EXPECT_EQ(At(BackBuffer, CellX(column) + 5, CellY(row) + 5), Packed(FlatPixel(0)));
    // 195 steps later the sweep is back at the same cell.
    for (int step = 1; step < 195; ++step) PlayFrame();
    EXPECT_EQ(RepairColumn, column);
    EXPECT_EQ(RepairRow, row);
}

TEST_F(RoundTest, RepairAroundTheBallCellStaysInsideTheGrid) {
    Settle();
    auto drawnAfterRepair = [&](int hitColumn, int hitRow) {
        for (auto& c : BrickField)
            for (auto& cell : c) cell = BrickCell{};
        for (int c = 0; c < FieldColumns; ++c)
            for (int r = 0; r < FieldRows; ++r) BrickField[c][r] = BrickCell{1, 1, 0};
        RepairColumn = 6;
        RepairRow = 7;
        const uint64_t before = plat::GetStats().Blits;
        RepairBricks(hitColumn, hitRow, false);
        return plat::GetStats().Blits - before - 1;  // less the sweep cell
    };
    EXPECT_EQ(drawnAfterRepair(5, 5), 5u);   // the cell and its four neighbours
    EXPECT_EQ(drawnAfterRepair(0, 5), 4u);   // no left neighbour
    EXPECT_EQ(drawnAfterRepair(12, 5), 4u);  // no right neighbour
    EXPECT_EQ(drawnAfterRepair(11, 5), 5u);  // column 12 is the last right neighbour
    EXPECT_EQ(drawnAfterRepair(5, 0), 4u);   // nothing above row 0
    EXPECT_EQ(drawnAfterRepair(5, 1), 5u);   // row 0 is the last cell above
    EXPECT_EQ(drawnAfterRepair(5, 14), 4u);  // nothing below row 14, though row 15 holds a brick
    EXPECT_EQ(drawnAfterRepair(0, -1), 1u);  // outside: only the cell below, (0, 0)
    EXPECT_EQ(drawnAfterRepair(4, 15), 1u);  // outside: only the cell above, (4, 14)
    EXPECT_EQ(drawnAfterRepair(13, 3), 1u);  // outside: only its left neighbour (12, 3)
}

TEST_F(RoundTest, AStepWithoutTheMouseEndsAtOnce) {
    Settle();
    headless::FailStep(headless::Step::MouseRead, 1);
    const uint64_t flips = Flips();
    const int32_t count = RoundFrameCount;
    EXPECT_EQ(PlayFrame(), 0);
    EXPECT_EQ(Flips(), flips);
    EXPECT_EQ(RoundFrameCount, count);
    EXPECT_EQ(PlayFrame(), 1);
}

TEST_F(RoundTest, EscapeInPlayPostsDestroyAndTheStepGoesOn) {
    Settle();
    headless::Schedule({NowMs(), plat::KeyEvent(plat::Key::Escape, true)});
    const uint64_t flips = Flips();
    PlayFrame();
    EXPECT_EQ(Flips(), flips + 1);
    plat::Message m;
    ASSERT_TRUE(plat::PeekMessage(&m));
    EXPECT_EQ(m.Id, plat::MsgDestroy);
}

TEST_F(RoundTest, F5ShowsGameOverAndTheNextGameStartsAfresh) {
    Settle();
    RoundNumber = 4;
    Score = 560;
    headless::Schedule({NowMs(), plat::KeyEvent(plat::Key::F5, true)});
    headless::Schedule({NowMs() + 20, plat::KeyEvent(plat::Key::F5, false)});
    const uint64_t before = headless::NowMicros();
    EXPECT_EQ(PlayFrame(), 1);
    EXPECT_EQ(Lives, 0);
    EXPECT_EQ(NewGamePending, 1);
    EXPECT_EQ(TitleZoomPending, 1);
    EXPECT_EQ(TitleMusicPending, 1);
    EXPECT_GE(headless::NowMicros() - before, 50000u);  // as long as the game-over music
    // The step ended there: the game-over picture is on screen, no panel over it.
    EXPECT_EQ(At(PrimarySurface, 300, 300), Packed(FlatPixel(1)));
    constexpr sheets::Rect panel = screen::StatusPanel;
    EXPECT_TRUE(AllOf(PrimarySurface, RectAt(panel.X, panel.Y, panel.W, panel.H), 0));
    EXPECT_TRUE(AllOf(PrimarySurface, RectAt(0, 0, 174, 600), 0));

    Lives = 3;
    PlayFrame();
    EXPECT_EQ(RoundNumber, 1);
    EXPECT_EQ(Score, 0);
    EXPECT_EQ(BricksLeft, 78);
}

TEST_F(RoundTest, F5InTheFrameLoopReachesTheTitleInTheSamePass) {
    Settle();
    headless::Schedule({NowMs(), plat::KeyEvent(plat::Key::F5, true)});
    headless::Schedule({NowMs() + 10, plat::KeyEvent(plat::Key::F5, false)});
    TitleZoomPending = 0;
    int code = 0;
    const uint64_t flips = Flips();
    ASSERT_TRUE(FramePass(&code));
    EXPECT_EQ(Lives, 0);
    EXPECT_EQ(TitleZoomPending, 0);  // the title zoomed in over the game-over picture
    EXPECT_EQ(Flips(), flips + 1 + 207);
}

TEST_F(RoundTest, ARoundIsClearedAtZeroBricksOrBelow) {
    Settle();
    BricksLeft = -1;  // the exit emptied the count, and the ball broke one more
    PlayFrame();
    EXPECT_EQ(RoundSetupPending, 1);
    EXPECT_EQ(RoundNumber, 2);
    EXPECT_EQ(BallHeld, 1);
    PlayFrame();
    EXPECT_EQ(BricksLeft, 91);
    EXPECT_EQ(RoundFrameCount, 1);
}

TEST_F(RoundTest, AClearedRoundForgetsTheBrickBouncesAndTheLasers) {
    Settle();
    for (auto& column : BrickField)
        for (auto& cell : column) cell = BrickCell{};
    BallHeld = 0;  // free and high, so that no paddle hit resets the count
    BallX = BallY = 300;
    BrickBounceCount = 9;
    LaserPairA = LaserPair{1, 100, 40, 0};
    LaserPairB = LaserPair{1, 300, 60, 60};
    LaserCooldown = 12;
    BricksLeft = 0;
    PlayFrame();
    ASSERT_EQ(RoundSetupPending, 1);
    EXPECT_EQ(BrickBounceCount, 0);
    EXPECT_EQ(LaserPairA.Active + LaserPairB.Active, 0);
    EXPECT_EQ(LaserPairA.LeftHeight + LaserPairB.LeftHeight + LaserPairB.RightHeight, 0);
    EXPECT_EQ(LaserCooldown, 0);
}

TEST_F(RoundTest, EveryFieldResetDisarmsTheCatchAndPutsTheGateBackToItsFirstFrame) {
    for (int call = 0; call < 16; ++call) {  // the round set-up and the fifteen that follow
        ThePaddle.CatchArmed = 1;
        GateFrame = 5;
        PlayFrame();
        EXPECT_EQ(int{ThePaddle.CatchArmed}, 0) << call;
        EXPECT_EQ(GateFrame, 0) << call;
    }
}

TEST_F(RoundTest, FrameCycleCountsUpToTwentyAndThenStartsAgainAtZero) {
    Settle();
    FrameCycle = 0;
    std::vector<int32_t> seen;
    for (int step = 0; step < 22; ++step) {
        PlayFrame();
        seen.push_back(FrameCycle);
    }
    std::vector<int32_t> expected;
    for (int value = 1; value <= 20; ++value) expected.push_back(value);
    expected.insert(expected.end(), {0, 1});
    EXPECT_EQ(seen, expected);
}

TEST_F(RoundTest, AfterRoundTwentyTheLayoutsComeRoundAgain) {
    EXPECT_EQ(LayoutForRound(1), 1);
    EXPECT_EQ(LayoutForRound(20), 20);
    EXPECT_EQ(LayoutForRound(21), 1);
    EXPECT_EQ(LayoutForRound(40), 20);
    EXPECT_EQ(LayoutForRound(41), 1);
    Settle();
    RoundNumber = 20;
    BricksLeft = 0;
    PlayFrame();  // clears round 20
    PlayFrame();  // builds round 21
    EXPECT_EQ(RoundNumber, 21);
    EXPECT_EQ(BricksLeft, 78);                                            // round 1's bricks
    EXPECT_EQ(At(BackdropSurface, 300, 300), Packed(FlatPixel(4 + 10)));  // LEVEL10.GRA
}

TEST_F(RoundTest, RoundsPlayOverTheirPictures) {
    EXPECT_EQ(RoundPictureNumber(1), 1);
    EXPECT_EQ(RoundPictureNumber(11), 11);
    EXPECT_EQ(RoundPictureNumber(12), 1);
    EXPECT_EQ(RoundPictureNumber(20), 9);
    EXPECT_EQ(RoundPictureNumber(21), 10);
    EXPECT_EQ(RoundPictureNumber(22), 11);
    EXPECT_EQ(RoundPictureNumber(23), 1);  // names no file: keeps the turn of eleven
    EXPECT_EQ(RoundPictureNumber(24), 1);
    EXPECT_EQ(RoundPictureNumber(34), 11);
    EXPECT_EQ(RoundPictureNumber(35), 2);
    EXPECT_EQ(RoundPictureNumber(45), 1);
    EXPECT_EQ(RoundPictureNumber(INT32_MIN), 9);  // the turn of eleven, without overflow
    for (int round : {12, 20, 23}) {
        LoadRoundBackdrop(round);
        EXPECT_EQ(At(RoundArtSurface, 0, 0), Packed(FlatPixel(4 + RoundPictureNumber(round)))) << round;
        EXPECT_EQ(AssetImage.Pixels, nullptr);
    }
}

}  // namespace

namespace {

using testing_support::RoundTest;
namespace headless = plat::headless;

class LifeLostTest : public RoundTest {
protected:
    // Settles the round, then puts a free ball just past the bottom line.
    void DropTheBall() {
        Settle();
        BallHeld = 0;
        BallX = 300;
        BallY = 590;
        TheBall.DirY = 1;
        ThePaddle.PaddleKind = PaddleWide;
        Morphing = 1;
        BallSpeed = 8.1f;
    }
};

TEST_F(LifeLostTest, ALostBallCostsALifeAndServesAgainFromThePaddle) {
    DropTheBall();
    Score = 420;
    BrickField[3][3].Strength = 0;
    const int32_t bricks = BricksLeft;
    const uint64_t flips = Flips();
    PlayFrame();
    EXPECT_EQ(Lives, 2);
    EXPECT_EQ(Score, 420);
    EXPECT_EQ(BricksLeft, bricks);
    EXPECT_EQ(BrickField[3][3].Strength, 0);
    // Two clears of the lane, twelve explosion frames, one more clear, the
    // gate removed, the announcement's two, and the step's own present.
    EXPECT_EQ(Flips() - flips, 1u + 12u + 1u + 1u + 2u + 1u);
    EXPECT_EQ(BallHeld, 1);
    EXPECT_EQ(BallX, PaddleX + 40);
    EXPECT_EQ(BallY, 544);
    EXPECT_EQ(HeldOffset, 40);
    EXPECT_EQ(TheBall.DirY, -1);
    EXPECT_EQ(ThePaddle.PaddleKind, PaddleNormal);
    EXPECT_EQ(Morphing, 0);
    EXPECT_EQ(BallSpeed, RoundStartSpeed);
}

TEST_F(LifeLostTest, ALostLifeLeavesNeitherTheFallingCapsuleNorTheGateOnEitherPage) {
    Settle();
    for (auto& column : BrickField)
        for (auto& cell : column) cell = BrickCell{};
    PaddleX = 200;
    ThePaddle.PaddleKind = PaddleExit;
    GateTick = 12;
    CapsuleActive = 1;
    CapsuleColumn = 11;
    CapsuleY = 451;
    TheCapsule.Kind = static_cast<int32_t>(CapsuleKind::Points);
    for (int step = 0; step < 3; ++step) {  // the gate and the capsule on both pages
        FrameCycle = 0;
        PlayFrame();
    }
    ASSERT_EQ(At(BackBuffer, 660, 590), Packed(FlatPixel(0)));
    ASSERT_EQ(At(BackBuffer, CellX(11) + 20, CapsuleY), Packed(FlatPixel(0)));
    BallHeld = 0;
    BallX = 300;
    BallY = 590;
    TheBall.DirY = 1;
    PlayFrame();
    ASSERT_EQ(Lives, 2);
    for (plat::Surface* page : {PrimarySurface, BackBuffer}) {
        const char* name = page == PrimarySurface ? "visible page" : "back buffer";
        EXPECT_TRUE(AllOf(page, RectAt(651, 569, 17, 28), Packed(FlatPixel(1)))) << name << ": the gate";
        EXPECT_TRUE(AllOf(page, RectAt(CellX(11), 440, 50, 40), Packed(FlatPixel(5)))) << name << ": the capsule";
    }
}

TEST_F(LifeLostTest, TheLastLifeEndsInTheGameOverScreen) {
    DropTheBall();
    Lives = 1;
    PlayFrame();
    EXPECT_EQ(Lives, 0);
    EXPECT_EQ(NewGamePending, 1);
    EXPECT_EQ(TitleZoomPending, 1);
    EXPECT_EQ(BallHeld, 1);  // the serve position is still set
}

TEST_F(LifeLostTest, LivesNeverGoBelowZero) {
    DropTheBall();
    Lives = 0;  // a game already over when the ball falls
    PlayFrame();
    EXPECT_EQ(Lives, 0);
    EXPECT_EQ(NewGamePending, 1);
}

TEST_F(RoundTest, TheRoundStartBallLeavesAtTheClampedSpeeds) {
    Settle();
    EXPECT_EQ(BallX, 500);  // no mouse motion yet: it waits at x 500
    headless::Schedule({NowMs(), plat::ButtonEvent(0, true)});
    PlayFrame();
    EXPECT_EQ(BallHeld, 0);
    EXPECT_FLOAT_EQ(TheBall.SpeedX, 5.5f);
    EXPECT_FLOAT_EQ(TheBall.SpeedY, 5.5f);
    EXPECT_EQ(BallY, 543 - 5);  // released a pixel up, then moved up 5
    EXPECT_EQ(BallX, 505);
}

TEST_F(RoundTest, AFieldResetEndsAMorphFromTheLastRound) {
    Settle();
    Morphing = 1;
    ThePaddle.PaddleFrame = 3;
    BricksLeft = 0;
    PlayFrame();  // clears the round
    PlayFrame();  // the next round's first field reset
    EXPECT_EQ(Morphing, 0);
    EXPECT_EQ(ThePaddle.PaddleFrame, 0);
}

}  // namespace
