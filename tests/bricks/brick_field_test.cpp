#include <gtest/gtest.h>

#include "bricks/brick_field.h"
#include "play/play_globals.h"
#include "support/game_display.h"

namespace {

using plat::RectAt;

// Each brick picture on the sheet is a flat word of its own, with a black
// corner that a keyed copy leaves out.
class BrickFieldTest : public testing_support::GameDisplayTest {
protected:
    void SetUp() override {
        GameDisplayTest::SetUp();
        ResetPlayGlobals();
        for (int kind = 0; kind <= 8; ++kind) {
            plat::Fill(ElementsSurface, RectAt(314, 1 + 24 * kind, 47, 23), Picture(kind));
            plat::Fill(ElementsSurface, RectAt(314, 1 + 24 * kind, 1, 1), 0);
        }
        Paint(BackdropSurface, 0x0BAC);
        Paint(BackBuffer, 0xAAAA);
        Paint(PrimarySurface, 0xBBBB);
    }
    void TearDown() override {
        ResetPlayGlobals();
        GameDisplayTest::TearDown();
    }
    static uint16_t Picture(int kind) { return static_cast<uint16_t>(0x1000 + kind); }
};

TEST_F(BrickFieldTest, DrawCopiesThePictureOfItsKindIntoItsCell) {
    const BrickCell cell{8, 4, 0};
    cell.Draw(12, 14);  // the last played cell: x 603, y 415
    EXPECT_TRUE(AllOf(BackBuffer, RectAt(604, 415, 46, 23), Picture(8)));
    EXPECT_EQ(At(BackBuffer, 603, 415), 0xAAAA);  // the black corner is keyed out
    EXPECT_EQ(At(BackBuffer, 650, 415), 0xAAAA);  // one column of backdrop between bricks
    EXPECT_EQ(At(BackBuffer, 604, 438), 0xAAAA);
    EXPECT_TRUE(AllOf(PrimarySurface, RectAt(0, 0, 800, 600), 0xBBBB));
    // Strength does not change the picture.
    BrickCell{8, 1, 0}.Draw(0, 0);
    EXPECT_EQ(At(BackBuffer, 28, 79), Picture(8));
}

TEST_F(BrickFieldTest, EraseWipesTheCellFromBothBuffersAtOnce) {
    BrickCell{3, 1, 0}.Draw(4, 2);
    BrickCell{}.Erase(4, 2);
    const plat::Rect cell = RectAt(27 + 48 * 4, 79 + 24 * 2, 47, 23);
    EXPECT_TRUE(AllOf(BackBuffer, cell, 0x0BAC));
    EXPECT_TRUE(AllOf(PrimarySurface, cell, 0x0BAC));
    EXPECT_EQ(At(PrimarySurface, cell.Right, cell.Top), 0xBBBB);
}

TEST_F(BrickFieldTest, RedrawOnlyTouchesPlayedCellsHoldingBricks) {
    BrickField[0][0] = BrickCell{0, 1, 0};   // kind 0 with strength 1 is a brick
    BrickField[1][0] = BrickCell{5, 0, 30};  // strength 0 is empty, whatever the kind
    BrickField[2][15] = BrickCell{5, 1, 0};  // row 15 is never drawn
    RedrawBrick(0, 0);
    RedrawBrick(1, 0);
    RedrawBrick(2, 15);
    RedrawBrick(-1, 0);
    RedrawBrick(13, 0);
    RedrawBrick(0, -1);
    EXPECT_EQ(At(BackBuffer, 28, 79), Picture(0));
    EXPECT_EQ(At(BackBuffer, 76, 79), 0xAAAA);
    EXPECT_EQ(plat::GetStats().Blits, 1u + 9u * 2u);  // the one redraw, after the set-up fills
}

}  // namespace
