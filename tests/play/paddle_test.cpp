#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "play/ball.h"
#include "play/handoffs.h"
#include "play/paddle.h"
#include "play/play_globals.h"
#include "support/game_display.h"

namespace {

using plat::RectAt;

// Every paddle image (row, frame) on the sheet is painted a word of its own,
// so the back buffer tells which one the last draw showed.
class PaddleTest : public testing_support::GameDisplayTest {
protected:
    void SetUp() override {
        GameDisplayTest::SetUp();
        ResetPlayGlobals();
        const int bases[] = {0, 126, 231, 336, 462};
        for (int row = 1; row <= 5; ++row)
            for (int frame = 0; frame < 6; ++frame)
                plat::Fill(ElementsSurface, RectAt(363, bases[row - 1] + 21 * frame + 1, 110, 19), Image(row, frame));
        Paint(BackdropSurface, Backdrop);
        ThePaddle.PaddleKind = PaddleNormal;
        PaddleX = 200;
        ThePaddle.Pos.Set(200, 550);
        ThePaddle.Pos.Set(200, 550);
    }
    void TearDown() override {
        ResetPlayGlobals();
        GameDisplayTest::TearDown();
    }
    static uint16_t Image(int row, int frame) { return static_cast<uint16_t>(0x4000 + row * 16 + frame); }
    static constexpr uint16_t Backdrop = 0x0BAC;

    // Runs the image step and says which image stands at the paddle: (row,
    // frame), or (0, 0) for none.
    std::pair<int, int> Shown() {
        plat::Fill(BackBuffer, RectAt(5, PaddleY, 700, 19), Backdrop);
        DrawPaddleImage();
        const uint16_t w = At(BackBuffer, PaddleX + 55, PaddleY + 9);
        if (w == Backdrop) return {0, 0};
        return {(w - 0x4000) / 16, (w - 0x4000) % 16};
    }
    // The images shown, each with the number of steps it stood, until the morph ends.
    std::vector<std::pair<std::pair<int, int>, int>> MorphRun() {
        std::vector<std::pair<std::pair<int, int>, int>> run;
        for (int step = 0; step < 400 && Morphing == 1; ++step) {
            const auto image = Shown();
            if (run.empty() || run.back().first != image)
                run.push_back({image, 1});
            else
                ++run.back().second;
        }
        return run;
    }
    void Move(int32_t dx, bool button = false) {
        MouseState = plat::MouseState{};
        MouseState.X = dx;
        MouseState.Buttons[0] = button ? 0x80 : 0;
    }
};

TEST_F(PaddleTest, EachKindHasItsLimits) {
    struct Case {
        int32_t kind, left, right;
    };
    for (const Case& c : {Case{PaddleNormal, 10, 558}, Case{PaddleCatch, 10, 558}, Case{PaddleLaser, 10, 558},
                          Case{PaddleNarrow, 0, 568}, Case{PaddleWide, 25, 541}}) {
        ThePaddle.PaddleKind = c.kind;
        Move(-1000);
        EXPECT_FALSE(MovePaddle());
        EXPECT_EQ(PaddleX, c.left) << c.kind;
        Move(2000);
        EXPECT_FALSE(MovePaddle());
        EXPECT_EQ(PaddleX, c.right) << c.kind;
    }
    // The exit paddle stops at 10 on the left; past 558 it leaves through the gate.
    ThePaddle.PaddleKind = PaddleExit;
    Move(-1000);
    MovePaddle();
    EXPECT_EQ(PaddleX, 10);
    Move(549);
    EXPECT_TRUE(MovePaddle());
    EXPECT_EQ(PaddleX, 559);
    // A narrow paddle at 568 that becomes the exit paddle leaves without moving.
    PaddleX = 568;
    Move(0);
    EXPECT_TRUE(MovePaddle());
}

TEST_F(PaddleTest, AHeldBallFollowsTheUnclampedPaddle) {
    BallHeld = 1;
    HeldOffset = 40;
    BallX = 500;
    Move(0);
    MovePaddle();
    EXPECT_EQ(BallX, 500);  // no motion, no follow
    Move(500);
    MovePaddle();
    EXPECT_EQ(PaddleX, 558);
    EXPECT_EQ(BallX, 740);  // 700 + 40, from before the clamp
}

TEST_F(PaddleTest, TheButtonServesThenLatches) {
    BallHeld = 1;
    BallY = 544;
    Move(0, true);
    MovePaddle();
    EXPECT_EQ(BallHeld, 0);
    EXPECT_EQ(BallY, 543);
    EXPECT_EQ(ThePaddle.CatchArmed, 1);
    EXPECT_EQ(FireLatch, 0);
    MovePaddle();  // still down
    EXPECT_EQ(FireLatch, 1);
    Move(0, false);
    MovePaddle();
    EXPECT_EQ(FireLatch, 0);
}

TEST_F(PaddleTest, StillImagesByKind) {
    const std::pair<int32_t, std::pair<int, int>> cases[] = {
        {PaddleNormal, {1, 0}}, {PaddleExit, {1, 0}},   {PaddleCatch, {3, 4}},
        {PaddleLaser, {2, 4}},  {PaddleNarrow, {5, 4}}, {PaddleWide, {4, 5}},
    };
    for (const auto& [kind, image] : cases) {
        ThePaddle.PaddleKind = kind;
        EXPECT_EQ(Shown(), image) << kind;
    }
}

TEST_F(PaddleTest, NormalToWideShowsSixDissolvingAndFiveFormingFrames) {
    MorphFromOldKind(PaddleWide);
    ThePaddle.PaddleKind = PaddleWide;
    MorphTick = 0;  // as the capsule sets it
    const auto run = MorphRun();
    const std::vector<std::pair<std::pair<int, int>, int>> expected = {
        {{1, 0}, 1},  {{1, 1}, 13}, {{1, 2}, 13}, {{1, 3}, 13}, {{1, 4}, 13}, {{1, 5}, 13},
        {{0, 0}, 1},  // the dissolve moves on a step later, drawing nothing
        {{4, 0}, 12}, {{4, 1}, 13}, {{4, 2}, 13}, {{4, 3}, 13}, {{4, 4}, 13}, {{0, 0}, 1},
    };
    EXPECT_EQ(run, expected);
    EXPECT_EQ(Shown(), (std::pair<int, int>{4, 5}));  // the still wide paddle
}

TEST_F(PaddleTest, NarrowToWideStartsTheDissolveAtFrameFive) {
    ThePaddle.PaddleKind = PaddleNarrow;
    MorphFromOldKind(PaddleWide);
    ThePaddle.PaddleKind = PaddleWide;
    MorphTick = 0;
    const auto run = MorphRun();
    ASSERT_FALSE(run.empty());
    EXPECT_EQ(run.front().first, (std::pair<int, int>{5, 5}));
}

TEST_F(PaddleTest, TheCatchRowMovesOnInTheSameStep) {
    ThePaddle.PaddleKind = PaddleCatch;
    MorphFromOldKind(PaddleLaser);
    ThePaddle.PaddleKind = PaddleLaser;
    MorphTick = 0;
    const auto run = MorphRun();
    // Catch frames 4 to 0, then straight into the laser row with no blank step.
    ASSERT_GE(run.size(), 6u);
    EXPECT_EQ(run[4].first, (std::pair<int, int>{3, 0}));
    EXPECT_EQ(run[5].first, (std::pair<int, int>{2, 0}));
}

// The exit capsule turns a normal paddle into the exit paddle without a
// morph; a slow capsule then morphs "from the exit kind" back to normal,
// running state 0 with kind 10. It must form the normal paddle again.
TEST_F(PaddleTest, ADissolveOfTheNormalPaddleTowardsItselfForms) {
    ThePaddle.PaddleKind = PaddleExit;
    ThePaddle.PaddleMorph = 0;
    ThePaddle.PaddleFrame = 0;
    MorphFromOldKind(PaddleNormal);
    ThePaddle.PaddleKind = PaddleNormal;
    const auto run = MorphRun();
    EXPECT_EQ(Morphing, 0);
    std::vector<std::pair<int, int>> images;
    for (const auto& [image, steps] : run)
        if (image.first != 0) images.push_back(image);
    const std::vector<std::pair<int, int>> expected = {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5},
                                                       {1, 5}, {1, 4}, {1, 3}, {1, 2}, {1, 1}, {1, 0}};
    EXPECT_EQ(images, expected);
    EXPECT_EQ(Shown(), (std::pair<int, int>{1, 0}));
}

TEST_F(PaddleTest, TheExitPaddleKeepsItsMorphStateAndTheStillImageIsDrawnFirst) {
    ThePaddle.PaddleKind = PaddleExit;
    ThePaddle.PaddleMorph = 4;
    ThePaddle.PaddleFrame = 2;
    MorphFromOldKind(PaddleNormal);
    EXPECT_EQ(Morphing, 1);
    EXPECT_EQ(ThePaddle.PaddleMorph, 4);
    EXPECT_EQ(ThePaddle.PaddleFrame, 2);
    EXPECT_EQ(Shown(), (std::pair<int, int>{2, 2}));  // the morph frame shows over the still image
}

}  // namespace
