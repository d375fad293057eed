#include <gtest/gtest.h>

#include "gfx/surface_copy.h"
#include "platform/headless/headless.h"
#include "support/game_display.h"

namespace {

using plat::RectAt;

// Each source is painted in a colour of its own with a black hole in the
// middle of the copied area, so opaque and keyed copies can be told apart.
class SurfaceCopyTest : public testing_support::GameDisplayTest {
protected:
    void SetUp() override {
        GameDisplayTest::SetUp();
        uint16_t colour = 0x100;
        for (plat::Surface* s : {ElementsSurface, BElementsSurface, BackdropSurface, RoundArtSurface, ShipsSurface,
                                 TitlesSurface, CloudsSurface}) {
            Paint(s, colour++);
            s->Words[static_cast<size_t>(12) * s->PitchWords + 12] = 0;
        }
        Paint(BackBuffer, 0xAAAA);
        Paint(PrimarySurface, 0xBBBB);
    }
    static plat::Surface* Source(int selector) {
        switch (selector) {
            case 1: return ElementsSurface;
            case 2: return BElementsSurface;
            case 3: return BackdropSurface;
            case 5: return ShipsSurface;
            case 8: return CloudsSurface;
            default: return nullptr;
        }
    }
};

TEST_F(SurfaceCopyTest, SelectorTable) {
    for (int selector = 0; selector <= 9; ++selector)
        for (int keyed : {0, 1, 2, -1}) {
            Paint(BackBuffer, 0xAAAA);
            EXPECT_TRUE(CopyRect(10, 10, 100, 50, 5, 5, selector, keyed));
            plat::Surface* src = Source(selector);
            const bool draws = src != nullptr && (selector == 8 || keyed == 0 || keyed == 1);
            const bool hole = src != nullptr && selector != 8 && keyed == 1;
            const uint16_t colour = src != nullptr ? At(src, 10, 10) : 0xAAAA;
            SCOPED_TRACE(::testing::Message() << "selector " << selector << " keyed " << keyed);
            EXPECT_EQ(At(BackBuffer, 100, 50), draws ? colour : 0xAAAA);
            // The black word at (12, 12) lands at (102, 52).
            EXPECT_EQ(At(BackBuffer, 102, 52), !draws ? 0xAAAA : hole ? 0xAAAA : 0);
            EXPECT_EQ(At(BackBuffer, 105, 50), 0xAAAA);
        }
}

TEST_F(SurfaceCopyTest, EveryCopyFromAKeyedSourceSetsTheKeyEvenWhenNothingIsDrawn) {
    ElementsSurface->HasColorKey = false;
    CopyRect(0, 0, 0, 0, 5, 5, SourceElements, 2);
    EXPECT_TRUE(ElementsSurface->HasColorKey);
    EXPECT_EQ(ElementsSurface->KeyLow, 0);
    EXPECT_EQ(ElementsSurface->KeyHigh, 0);
    EXPECT_TRUE(AllOf(BackBuffer, RectAt(0, 0, 800, 600), 0xAAAA));
    CopyRect(0, 0, 0, 0, 5, 5, SourceClouds, 1);
    EXPECT_FALSE(CloudsSurface->HasColorKey);
}

TEST_F(SurfaceCopyTest, CopiesThatWouldCrossTheEdgeDrawNothing) {
    EXPECT_TRUE(CopyRect(363, 1, 729, 100, 110, 19, SourceElements, 1));  // would end at 839
    EXPECT_TRUE(CopyRect(0, 590, 0, 0, 20, 20, SourceElements, 0));       // source past the bottom
    EXPECT_TRUE(AllOf(BackBuffer, RectAt(0, 0, 800, 600), 0xAAAA));
    EXPECT_TRUE(CopyRect(363, 1, 690, 100, 110, 19, SourceElements, 1));  // ends at 800: fits
    EXPECT_EQ(At(BackBuffer, 799, 118), At(ElementsSurface, 472, 19));
}

TEST_F(SurfaceCopyTest, BackdropTakesOnlyTheTwoSpriteSheets) {
    const uint16_t clean = At(BackdropSurface, 0, 0);
    for (int selector : {3, 5, 8, 0, 4}) {
        EXPECT_TRUE(CopyRectToBackdrop(0, 0, 0, 0, 8, 8, selector, 0));
        EXPECT_EQ(At(BackdropSurface, 0, 0), clean) << selector;
    }
    CopyRectToBackdrop(8, 6, 8, 6, 18, 592, SourceBElements, 0);
    EXPECT_EQ(At(BackdropSurface, 8, 6), At(BElementsSurface, 8, 6));
    CopyRectToBackdrop(10, 10, 100, 100, 4, 4, SourceElements, 1);
    EXPECT_EQ(At(BackdropSurface, 100, 100), At(ElementsSurface, 10, 10));
    EXPECT_EQ(At(BackdropSurface, 102, 102), clean);  // the sheet's black word is left out
    EXPECT_TRUE(AllOf(BackBuffer, RectAt(0, 0, 800, 600), 0xAAAA));
}

TEST_F(SurfaceCopyTest, ShowRectCopiesTheBackBufferStraightToTheScreen) {
    BackBuffer->Words[static_cast<size_t>(300) * BackBuffer->PitchWords + 200] = 0x1111;
    const uint64_t before = plat::GetStats().PrimaryUpdates;
    EXPECT_TRUE(ShowRect(200, 300, 200, 300, 47, 23, 0));
    EXPECT_EQ(At(PrimarySurface, 200, 300), 0x1111);
    EXPECT_EQ(At(PrimarySurface, 246, 322), 0xAAAA);
    EXPECT_EQ(At(PrimarySurface, 247, 322), 0xBBBB);
    EXPECT_EQ(plat::GetStats().PrimaryUpdates, before + 1);
    EXPECT_TRUE(ShowRect(0, 0, 0, 0, 10, 10, 3));
    EXPECT_EQ(At(PrimarySurface, 0, 0), 0xBBBB);
}

TEST_F(SurfaceCopyTest, ClearScreenTargets) {
    EXPECT_TRUE(ClearScreen(ClearBackBuffer));
    EXPECT_TRUE(AllOf(BackBuffer, RectAt(0, 0, 800, 600), 0));
    EXPECT_TRUE(AllOf(PrimarySurface, RectAt(0, 0, 800, 600), 0xBBBB));
    EXPECT_TRUE(ClearScreen(2));
    EXPECT_TRUE(AllOf(PrimarySurface, RectAt(0, 0, 800, 600), 0xBBBB));
    EXPECT_TRUE(ClearScreen(ClearPrimary));
    EXPECT_TRUE(AllOf(PrimarySurface, RectAt(0, 0, 800, 600), 0));
}

TEST_F(SurfaceCopyTest, RefreshBackdropFillsOnlyThePlayfield) {
    const uint16_t art = At(RoundArtSurface, 0, 0);
    const uint16_t border = At(BackdropSurface, 0, 0);
    EXPECT_TRUE(RefreshBackdrop());
    for (plat::Surface* s : {BackdropSurface, BackBuffer}) {
        EXPECT_EQ(At(s, 17, 17), art);
        EXPECT_EQ(At(s, 29, 29), 0);  // the round art's own black word at (12, 12)
        EXPECT_EQ(At(s, 661, 599), art);
        const uint16_t outside = s == BackBuffer ? 0xAAAA : border;
        EXPECT_EQ(At(s, 16, 17), outside);
        EXPECT_EQ(At(s, 17, 16), outside);
        EXPECT_EQ(At(s, 662, 17), outside);
        EXPECT_TRUE(AllOf(s, RectAt(662, 0, 138, 600), outside));
    }
}

TEST_F(SurfaceCopyTest, PresentFrameFlipsAndGivesUpOnADeadDisplay) {
    PresentFrame();
    EXPECT_TRUE(AllOf(PrimarySurface, RectAt(0, 0, 800, 600), 0xAAAA));
    plat::headless::FailStep(plat::headless::Step::Flip);
    const uint64_t flips = plat::GetStats().Flips;
    PresentFrame();  // returns rather than hanging
    EXPECT_EQ(plat::GetStats().Flips, flips);
    plat::headless::FailStep(plat::headless::Step::Flip, 3);
    PresentFrame();  // a flip that fails a few times is retried
    EXPECT_EQ(plat::GetStats().Flips, flips + 1);
}

}  // namespace
