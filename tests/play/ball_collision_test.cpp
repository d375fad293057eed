#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "bricks/brick_field.h"
#include "gfx/screen_map.h"
#include "gfx/surface_copy.h"
#include "play/ball.h"
#include "play/ball_collision.h"
#include "play/capsules.h"
#include "play/paddle.h"
#include "play/status_panel.h"
#include "sound/voice.h"
#include "support/round_fixture.h"

namespace {

using testing_support::FlatPixel;
using Dir = std::pair<int32_t, int32_t>;

// A settled round with an empty field: each test lays the bricks it needs.
class CollisionTest : public testing_support::EmptyFieldTest {
protected:
    void SetUp() override {
        EmptyFieldTest::SetUp();
        BallSpeed = 5.5f;
    }
    // The ball at (x, y) heading (dirX, dirY); it came by its truncated speeds.
    // Gives the ball cell and the new direction.
    std::pair<Dir, Dir> Collide(int32_t x, int32_t y, int32_t dirX, int32_t dirY, float sx, float sy) {
        BallX = x;
        BallY = y;
        TheBall = Ball{sx, sy, dirX, dirY, {}};
        Dir cell{0, -1};
        broken = 0;
        CollideBallWithBricks(cell.first, cell.second, TheBall, BallX, BallY, BallSpeed, broken, CapsuleActive,
                              ThePaddle, FrameCycle, CapsuleColumn, CapsuleY, TheCapsule);
        return {cell, Dir{TheBall.DirX, TheBall.DirY}};
    }
    // Struck from inside the cell (5, 5): no turn.
    void HitFromInside(float sx = 2) { Collide(285, 210, 1, -1, sx, 3); }
    int32_t broken = 0;
};

TEST_F(CollisionTest, TheCellSearchWorksOnlyInsideTheBand) {
    auto cell = [&](int32_t x, int32_t y, int32_t dirX, int32_t dirY) { return Collide(x, y, dirX, dirY, 6, 6).first; };
    EXPECT_EQ(cell(300, 44, 1, 1), Dir(12, 15));  // outside: the starting values
    EXPECT_EQ(cell(300, 440, -1, -1), Dir(0, -1));
    EXPECT_EQ(cell(300, 77, 1, -1), Dir(5, -1));  // moving up, the top row: 78 + 24r to 101 + 24r
    EXPECT_EQ(cell(300, 78, 1, -1), Dir(5, 0));
    EXPECT_EQ(cell(300, 102, 1, -1), Dir(5, 1));
    EXPECT_EQ(cell(300, 69, 1, 1), Dir(5, -1));  // moving down, the bottom row: 70 + 24r to 93 + 24r
    EXPECT_EQ(cell(300, 70, 1, 1), Dir(5, 0));
    EXPECT_EQ(cell(300, 94, 1, 1), Dir(5, 1));
    EXPECT_EQ(cell(649, 200, -1, -1), Dir(13, 5));  // left: 25 + 48k to 72 + 48k
    EXPECT_EQ(cell(73, 200, -1, -1), Dir(1, 5));
    EXPECT_EQ(cell(18, 200, 1, -1), Dir(-1, 5));  // right: 19 + 48k to 66 + 48k
    EXPECT_EQ(cell(67, 200, 1, -1), Dir(1, 5));
    // Outside the band nothing is struck, though every cell holds a brick.
    for (auto& column : BrickField)
        for (int row = 0; row < PlayedRows; ++row) column[row] = BrickCell{0, 1, 0};
    EXPECT_EQ(Collide(300, 440, 1, -1, 6, 6).second, Dir(1, -1));
    EXPECT_EQ(BrickField[5][14].Strength, 1);
}

TEST_F(CollisionTest, AStraightEntryReversesOneDirectionWhetherTheBrickBreaksOrHolds) {
    for (double strength : {1.0, 3.0}) {
        SCOPED_TRACE(strength);
        BrickField[5][5] = BrickCell{8, strength, 0};
        EXPECT_EQ(Collide(280, 215, 1, -1, 2, 8).second, Dir(1, 1));  // from below: rows 6 then 5
        EXPECT_EQ(broken, strength == 1 ? 1 : 0);
        BrickField[5][5] = BrickCell{8, strength, 0};
        EXPECT_EQ(Collide(260, 205, 1, -1, 6, 3).second, Dir(-1, -1));  // from the left: columns 4 then 5
        BrickField[5][5] = BrickCell{8, strength, 0};
        HitFromInside();  // already in the cell a step ago: worn down, no turn
        EXPECT_EQ(Dir(TheBall.DirX, TheBall.DirY), Dir(1, -1));
        EXPECT_EQ(BrickField[5][5].Strength, strength - 1);
    }
}

TEST_F(CollisionTest, AMultiHitBrickHoldsTwiceWithTheHighPingAndBreaksWithTheLow) {
    BrickField[5][5] = BrickCell{8, 3, 0};
    BrickField[5][5].Draw(5, 5);
    ShowRect(CellX(5), CellY(5), CellX(5), CellY(5), BrickWidth, BrickHeight, 0);
    for (int hit = 1; hit <= 3; ++hit) {
        StopVoice(VoiceBrickHigh);
        StopVoice(VoiceBrickLow);
        HitFromInside();
        EXPECT_EQ(BrickField[5][5].Strength, 3 - hit);
        EXPECT_EQ(broken, hit == 3 ? 1 : 0);
        EXPECT_EQ(BrickBounceCount, hit == 3 ? 0 : hit);
        EXPECT_EQ(Sounding(VoiceBrickHigh), hit < 3);
        EXPECT_EQ(Sounding(VoiceBrickLow), hit == 3);
        // The picture stays until the break takes it from both pages at once.
        const uint16_t shown = Packed(FlatPixel(hit < 3 ? 0 : 5));
        EXPECT_EQ(At(PrimarySurface, CellX(5) + 5, CellY(5) + 5), shown);
        EXPECT_EQ(At(BackBuffer, CellX(5) + 5, CellY(5) + 5), shown);
    }
}

TEST_F(CollisionTest, ArmouredHitsRaiseTheSpeedLevelAndThe26thHitInARowFlattensTheBall) {
    BrickField[5][5] = BrickCell{7, 30000, 0};
    BallSpeed = 9.795f;
    HitFromInside();
    EXPECT_EQ(BallSpeed, 9.8f);
    BallSpeed = 5.5f;
    HitFromInside();
    EXPECT_EQ(BallSpeed, 5.51f);
    BrickBounceCount = 0;
    for (int hit = 1; hit <= 25; ++hit) HitFromInside(5.2f);
    EXPECT_EQ(BrickBounceCount, 25);
    EXPECT_EQ(TheBall.SpeedX, 5.2f);
    HitFromInside(5.2f);
    EXPECT_EQ(BrickBounceCount, 0);
    EXPECT_EQ(TheBall.SpeedX, static_cast<float>(5.2f - 1.0));
    const float level = BallSpeed;
    BrickField[5][5] = BrickCell{8, 4, 0};  // a multi-hit brick is not armoured
    HitFromInside();
    EXPECT_EQ(BallSpeed, level);
}

TEST_F(CollisionTest, APreviousPositionOutsideTheBandCountsAsTheStartingCell) {
    // From y 441 moving up into row 14: the previous cell is (0 or 12, -1).
    BrickField[0][14] = BrickCell{0, 1, 0};
    EXPECT_EQ(Collide(40, 430, -1, -1, 3, 11).second, Dir(-1, 1));  // column 0 moving left: the row alone
    BrickField[5][14] = BrickCell{0, 1, 0};
    EXPECT_EQ(Collide(290, 430, -1, -1, 3, 11).second, Dir(1, -1));  // both changed; column 6 is empty
    BrickField[5][14] = BrickCell{0, 1, 0};
    BrickField[6][14] = BrickCell{0, 1, 0};
    EXPECT_EQ(Collide(290, 430, -1, -1, 3, 11).second, Dir(-1, 1));  // it holds; below row 14 is open
}

TEST_F(CollisionTest, ADiagonalEntryIsSettledByTheNeighboursInTheTablesOrder) {
    struct Case {
        Dir in;
        int32_t x, y;
        Dir first, second;  // the neighbours of (5, 5) in the order tested
        Dir firstEmpty, onlySecondEmpty;
    };
    const Case cases[] = {
        // Right and down tests the cell above first, unlike the other three.
        {{1, 1}, 262, 192, {5, 4}, {4, 5}, {1, -1}, {-1, 1}},
        {{-1, 1}, 310, 192, {6, 5}, {5, 4}, {1, 1}, {-1, -1}},
        {{-1, -1}, 310, 218, {6, 5}, {5, 6}, {1, -1}, {-1, 1}},
        {{1, -1}, 262, 218, {4, 5}, {5, 6}, {-1, -1}, {1, 1}},
    };
    for (const Case& c : cases) {
        auto outcome = [&](bool firstHolds, bool secondHolds) {
            ClearField();
            BrickField[5][5] = BrickCell{0, 1, 0};
            if (firstHolds) BrickField[c.first.first][c.first.second] = BrickCell{0, 1, 0};
            if (secondHolds) BrickField[c.second.first][c.second.second] = BrickCell{0, 1, 0};
            return Collide(c.x, c.y, c.in.first, c.in.second, 6, 6).second;
        };
        EXPECT_EQ(outcome(false, false), c.firstEmpty);
        EXPECT_EQ(outcome(true, false), c.onlySecondEmpty);
        EXPECT_EQ(outcome(true, true), Dir(-c.in.first, -c.in.second));
    }
}

// Beside the field stands the wall: a column neighbour outside counts as a
// brick. Only a ball off a side wall at speed 8 or more comes from there.
TEST_F(CollisionTest, AColumnNeighbourOutsideTheFieldHoldsLikeAWall) {
    struct Case {
        Dir in;
        int32_t x, y;
        Dir inside;       // the neighbour in the field
        Dir insideEmpty;  // the outcome with it empty
    };
    const Case cases[] = {
        {{1, 1}, 26, 192, {0, 4}, {1, -1}},  // the cell above comes first, then the wall
        {{1, -1}, 26, 218, {0, 6}, {1, 1}},
        {{-1, 1}, 641, 192, {12, 4}, {-1, -1}},
        {{-1, -1}, 641, 218, {12, 6}, {-1, 1}},
    };
    for (const Case& c : cases) {
        const int32_t column = c.x < 300 ? 0 : 12;
        ClearField();
        BrickField[column][5] = BrickCell{0, 1, 0};
        EXPECT_EQ(Collide(c.x, c.y, c.in.first, c.in.second, 9, 6).second, c.insideEmpty);
        BrickField[column][5] = BrickCell{0, 1, 0};
        BrickField[c.inside.first][c.inside.second] = BrickCell{0, 1, 0};
        EXPECT_EQ(Collide(c.x, c.y, c.in.first, c.in.second, 9, 6).second, Dir(-c.in.first, -c.in.second));
    }
}

// The play step scores a broken brick after its flip: the panel shows the
// points one step later.
TEST_F(CollisionTest, InPlayABrokenBrickScoresTenShownOnTheNextStep) {
    auto panelShows = [&](const std::string& text) {
        plat::Surface* scratch = nullptr;
        EXPECT_TRUE(plat::DisplayCreateSurface(100, 16, &scratch));
        const uint16_t white = Packed({255, 255, 255});
        plat::DrawText(scratch, 0, 0, text.c_str(), static_cast<int>(text.size()), white);
        bool same = true;
        for (int dy = 0; dy < 16; ++dy)
            for (int dx = 0; dx < 99; ++dx)
                same = same && (At(scratch, dx, dy) == white) ==
                                   (At(PrimarySurface, screen::PanelTextX + dx, screen::ScoreY + dy) == white);
        plat::ReleaseSurface(scratch);
        return same;
    };
    Score = 500;
    BricksLeft = 2;
    BrickField[5][5] = BrickCell{0, 1, 0};
    BallHeld = 0;
    BallX = 280;
    BallY = 215;
    TheBall = Ball{2, 8, 1, -1, {}};
    PlayFrame();
    EXPECT_EQ(BrickField[5][5].Strength, 0);
    EXPECT_EQ(Score, 510);
    EXPECT_EQ(BricksLeft, 1);
    EXPECT_TRUE(panelShows("500"));
    PlayFrame();
    EXPECT_TRUE(panelShows("510"));
}

}  // namespace
