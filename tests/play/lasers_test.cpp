#include <gtest/gtest.h>

#include <utility>

#include "bricks/brick_field.h"
#include "play/ball.h"
#include "play/capsules.h"
#include "play/lasers.h"
#include "play/paddle.h"
#include "play/round_loop.h"
#include "play/status_panel.h"
#include "sound/voice.h"
#include "support/round_fixture.h"

namespace {

using plat::RectAt;
using testing_support::FlatPixel;
namespace headless = plat::headless;

// A settled round with an empty field, the laser paddle at x 200 and the
// ball resting on it out of the shots' way.
class LaserTest : public testing_support::EmptyFieldTest {
protected:
    void SetUp() override {
        EmptyFieldTest::SetUp();
        ThePaddle.PaddleKind = PaddleLaser;
        PaddleX = 200;
        BallX = 600;
        Score = 70;
    }
    // A step in which the button comes up after a press with the ball in play.
    void Release() {
        FireLatch = 1;
        PlayFrame();
    }
    void Steps(int count) {
        for (int step = 0; step < count; ++step) PlayFrame();
    }
    uint16_t Backdrop() const { return Packed(FlatPixel(5)); }
};

TEST_F(LaserTest, TheButtonFiresOnItsReleaseOnce) {
    headless::Schedule({NowMs(), plat::ButtonEvent(0, true)});
    Steps(2);  // serves, then latches
    EXPECT_EQ(LaserPairA.Active, 0);
    headless::Schedule({NowMs(), plat::ButtonEvent(0, false)});
    Steps(2);
    EXPECT_EQ(LaserPairA.Active, 1);
    EXPECT_EQ(LaserPairA.X, 200);
    EXPECT_EQ(LaserPairA.LeftHeight, 6);
    EXPECT_TRUE(Sounding(VoiceLaserA));
    EXPECT_EQ(LaserPairB.Active, 0);
}

TEST_F(LaserTest, ARequestInTheCooldownIsDroppedAndBothPairsInFlightFireNothing) {
    Release();
    EXPECT_EQ(LaserCooldown, 20);
    Steps(18);
    Release();  // 19 steps after the volley
    EXPECT_EQ(LaserPairB.Active, 0);
    PlayFrame();  // the cooldown is over, but the request was not kept
    EXPECT_EQ(LaserPairB.Active, 0);
    Release();
    EXPECT_EQ(LaserPairB.Active, 1);
    EXPECT_TRUE(Sounding(VoiceLaserB));
    Steps(20);
    const LaserPair a = LaserPairA;
    Release();
    EXPECT_EQ(LaserCooldown, 0);
    EXPECT_EQ(LaserPairA.LeftHeight, a.LeftHeight + 5);  // neither restarted
}

TEST_F(LaserTest, AVolleyAt558StandsAt573And645AndVanishesPastHeight525) {
    PaddleX = 558;
    Release();
    Steps(5);  // the last image drawn at height 21
    for (int32_t x : {573, 645}) {
        EXPECT_EQ(At(PrimarySurface, x, 535), Packed(FlatPixel(0))) << x;
        EXPECT_EQ(At(PrimarySurface, x - 1, 535), Backdrop()) << x;
    }
    Steps(99);
    EXPECT_EQ(LaserPairA.LeftHeight, 521);
    PlayFrame();
    EXPECT_EQ(LaserPairA.Active, 0);
    EXPECT_EQ(LaserPairA.RightHeight, 0);
    for (plat::Surface* page : {PrimarySurface, BackBuffer})
        for (int32_t x : {573, 645}) EXPECT_TRUE(AllOf(page, RectAt(x, 25, 5, 29), Backdrop())) << x;
}

// A shot fired beneath row 14 tests it from its first frame, far below the field.
TEST_F(LaserTest, ShotsWearBricksDownWithoutPointsOrCapsules) {
    BrickField[3][14] = BrickCell{7, 30000, 0};  // under the left probe, x 217
    BrickField[5][14] = BrickCell{8, 2, 100};    // under the right probe, x 289
    BrickField[5][14].Draw(5, 14);
    const int32_t bricks = BricksLeft;
    Release();
    PlayFrame();
    EXPECT_EQ(BrickField[3][14].Strength, 29999);
    EXPECT_EQ(BrickField[5][14].Strength, 1);
    EXPECT_EQ(LaserPairA.Active, 0);  // both shots gone
    LaserCooldown = 0;
    BrickField[3][14] = BrickCell{};
    Release();
    PlayFrame();
    EXPECT_EQ(BrickField[5][14].Strength, 0);
    EXPECT_EQ(LaserPairA.LeftHeight, 6);  // flies on, tested alone
    EXPECT_EQ(BricksLeft, bricks - 1);
    EXPECT_EQ(Score, 70);
    EXPECT_EQ(CapsuleActive, 0);
    EXPECT_EQ(At(PrimarySurface, CellX(5) + 5, CellY(14) + 5), Backdrop());
    EXPECT_EQ(At(BackBuffer, CellX(5) + 5, CellY(14) + 5), Backdrop());
}

TEST_F(LaserTest, HigherRowsAreTestedOnceTheShotRisesToThem) {
    // Row 5 from height 346: 600 - 346 is past 111 + 24 * 5.
    BrickField[3][5] = BrickCell{7, 30000, 0};
    Release();
    Steps(68);
    EXPECT_EQ(LaserPairA.LeftHeight, 341);
    EXPECT_EQ(BrickField[3][5].Strength, 30000);
    PlayFrame();
    EXPECT_EQ(BrickField[3][5].Strength, 29999);
}

// Row j is tested while 111 + 24 j < 600 - height: rows 1, 6 and 11 are
// first reached exactly on a height the shots take (1 + 5 k).
TEST_F(LaserTest, AShotTestsTheLowestRowWhoseTopLiesAboveSixHundredLessItsHeight) {
    for (const auto& [row, height] : {std::pair{14, 6}, {11, 201}, {6, 321}, {1, 441}}) {
        ResetLasers();
        for (auto& column : BrickField)
            for (auto& cell : column) cell = BrickCell{};
        BrickField[3][row] = BrickCell{7, 30000, 0};  // under the left probe, x 217
        Release();
        int32_t struck = 0;
        for (int32_t step = 1; step <= 110 && struck == 0; ++step) {
            PlayFrame();
            if (BrickField[3][row].Strength < 30000) struck = 1 + 5 * step;
        }
        EXPECT_EQ(struck, height) << "row " << row;
    }
}

}  // namespace
