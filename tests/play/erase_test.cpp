// What each erase of play restores, checked over its whole rectangle to the
// last row and the last column, on each page it must reach: both pages are
// covered in a word no picture holds before the moment, the backdrop is a
// pattern that differs from pixel to pixel, and afterwards every pixel of the
// rectangle must be the backdrop's own (or, where a picture is drawn after
// the erase, that picture).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bricks/brick_field.h"
#include "gfx/screen_map.h"
#include "gfx/sheet_map.h"
#include "gfx/surface_copy.h"
#include "gfx/surfaces.h"
#include "play/ball.h"
#include "play/capsules.h"
#include "play/handoffs.h"
#include "play/kinds.h"
#include "play/lasers.h"
#include "play/paddle.h"
#include "play/play_report.h"
#include "play/round_loop.h"
#include "play/round_screens.h"
#include "play/status_panel.h"
#include "support/round_fixture.h"

namespace {

using plat::Rect;
using plat::RectAt;
namespace headless = plat::headless;

constexpr uint16_t Dirt = 0xFFFF;  // the backdrop's pattern stays below 0x8000

bool Inside(const Rect& r, int32_t x, int32_t y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

class EraseTest : public testing_support::EmptyFieldTest {
protected:
    void SetUp() override {
        EmptyFieldTest::SetUp();
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x)
                BackdropSurface->Words[static_cast<size_t>(y) * BackdropSurface->PitchWords + x] =
                    static_cast<uint16_t>((x * 31 + y * 1021) % 0x7FFF);
    }
    // Both pages covered in dirt over `area`.
    static void Dirty(const Rect& area) {
        ASSERT_TRUE(plat::Fill(BackBuffer, area, Dirt));
        ASSERT_TRUE(plat::Fill(PrimarySurface, area, Dirt));
    }
    // Every pixel of `area` on `page` is the backdrop's, but those inside one
    // of `drawn` (pictures put there after the erase), which must only not be
    // dirt. Says how many are not, and where the last of them lies.
    static std::string Unrestored(const plat::Surface* page, const Rect& area, const std::vector<Rect>& drawn = {}) {
        int wrong = 0, lastX = -1, lastY = -1;
        for (int32_t y = area.Top; y < area.Bottom; ++y)
            for (int32_t x = area.Left; x < area.Right; ++x) {
                bool picture = false;
                for (const Rect& r : drawn) picture = picture || Inside(r, x, y);
                const uint16_t w = At(page, x, y);
                if (picture ? w == Dirt : w != At(BackdropSurface, x, y)) ++wrong, lastX = x, lastY = y;
            }
        if (wrong == 0) return "";
        return std::to_string(wrong) + " pixels of (" + std::to_string(area.Left) + ", " + std::to_string(area.Top) +
               ") to (" + std::to_string(area.Right - 1) + ", " + std::to_string(area.Bottom - 1) +
               ") not restored, the last at (" + std::to_string(lastX) + ", " + std::to_string(lastY) + ")";
    }
};

TEST_F(EraseTest, EachSpriteIsErasedWhereItStoodTwoDrawsBack) {
    // The ball.
    constexpr sheets::Rect ball = sheets::BallImage;
    Dirty(RectAt(100, 100, ball.W, ball.H));
    TheBall.Pos = SpritePos{300, 300, 100, 100};
    TheBall.Draw(400, 400);
    EXPECT_EQ(Unrestored(BackBuffer, RectAt(100, 100, ball.W, ball.H)), "") << "the ball";

    // The capsule, drawn on and erased (both of its places).
    constexpr int32_t capsuleW = sheets::CapsuleUpperBlock.First.W;
    Dirty(RectAt(CellX(7), 200, capsuleW, 20));
    TheCapsule.Pos = SpritePos{3, 300, 7, 200};
    TheCapsule.Draw(3, 302);
    EXPECT_EQ(Unrestored(BackBuffer, RectAt(CellX(7), 200, capsuleW, 20)), "") << "the capsule drawn on";
    Dirty(RectAt(CellX(5), 240, capsuleW + CellPitchX, 40));
    TheCapsule.Pos = SpritePos{5, 248, 6, 246};
    TheCapsule.Erase(5, 250);
    EXPECT_EQ(Unrestored(BackBuffer, RectAt(CellX(6), 246, capsuleW, 20)), "") << "the capsule's old place";
    EXPECT_EQ(Unrestored(BackBuffer, RectAt(CellX(5), 250, capsuleW, 20)), "") << "the capsule's place";

    // The paddle: its whole row of the field, from x 5, 700 wide.
    constexpr int32_t paddleH = sheets::PaddleImage.H;
    Dirty(RectAt(0, 400, 800, paddleH));
    ThePaddle.Pos = SpritePos{200, 300, 200, 400};
    ThePaddle.Draw(200, 300, 1, 0);
    EXPECT_EQ(Unrestored(BackBuffer, RectAt(5, 400, 700, paddleH)), "") << "the paddle";
}

// A shot is erased 30 rows down from where it stood, which takes in where it
// was drawn two steps back; past the top wall it goes from both pages at once.
TEST_F(EraseTest, AShotIsErasedThirtyRowsDownAndVanishesFromBothPages) {
    constexpr int32_t shotW = sheets::LaserShot.W, shotH = sheets::LaserShot.H;
    ThePaddle.PaddleKind = PaddleLaser;
    LaserPairA = LaserPair{1, 200, 100, 100};
    Dirty(RectAt(200, 440, 100, 60));
    UpdateLaserVolleys();
    for (const int32_t x : {215, 287}) {
        // Drawn again at the top of the erase; the rest of it restored.
        EXPECT_EQ(Unrestored(BackBuffer, RectAt(x, PaddleY - 100, shotW, 30), {RectAt(x, PaddleY - 100, shotW, shotH)}),
                  "")
            << "the shot at x " << x;
    }
    LaserPairA = LaserPair{1, 200, 522, 522};
    Dirty(RectAt(200, 0, 100, 80));
    UpdateLaserVolleys();
    EXPECT_EQ(LaserPairA.Active, 0);
    for (const int32_t x : {215, 287})
        for (const plat::Surface* page : {BackBuffer, PrimarySurface})
            EXPECT_EQ(Unrestored(page, RectAt(x, PaddleY - 527, shotW, 30)), "")
                << "the shot past the wall at x " << x << (page == BackBuffer ? ", back buffer" : ", visible page");
}

// The gate, the round's banner and a caught capsule's band.
TEST_F(EraseTest, TheGateTheBannerAndTheCatchBandAreRestoredOnEveryPageTheyReach) {
    const Rect gate = RectAt(screen::ExitGate.X, screen::ExitGate.Y, 17, 54);
    Dirty(gate);
    DrawExitGate(0, 0);
    EXPECT_EQ(Unrestored(BackBuffer, gate), "") << "the gate, back buffer";
    EXPECT_EQ(Unrestored(PrimarySurface, gate), "") << "the gate, visible page";

    const Rect banner = RectAt(206, 440, 319, 35);
    Dirty(banner);
    ShowRoundAnnouncement(3);
    EXPECT_EQ(Unrestored(BackBuffer, banner), "") << "the banner";

    // A capsule caught in play: wiped from the page drawn now, before the
    // paddle and ball are drawn over it, and from the other after the flip.
    const Rect band = RectAt(0, 505, 650, 90);
    Dirty(band);
    PaddleX = 300;
    BallHeld = 1;
    BallX = 340;
    BallY = 544;
    CapsuleActive = 1;
    FrameCycle = 0;  // the play step makes it 1
    CapsuleColumn = 6;
    CapsuleY = 541;
    TheCapsule.Kind = static_cast<int32_t>(CapsuleKind::Points);
    ASSERT_EQ(PlayFrame(), 1);
    ASSERT_EQ(LastPlayFrame.CapsuleCaught, 1);
    EXPECT_EQ(Unrestored(BackBuffer, band), "") << "the catch band, the page the flip left behind";
    const std::vector<Rect> sprites = {RectAt(PaddleX, PaddleY, sheets::PaddleImage.W, sheets::PaddleImage.H),
                                       RectAt(BallX, BallY, sheets::BallImage.W, sheets::BallImage.H)};
    EXPECT_EQ(Unrestored(PrimarySurface, band, sprites), "") << "the catch band, the page shown";
}

// A lost ball: the paddle's band is wiped from both pages, the explosion
// plays where the paddle was, each of its frames wiped after it is shown,
// and at the end the explosion's place is restored on both pages. Each page
// the lost life shows is looked at as it is shown.
TEST_F(EraseTest, ALostBallWipesThePaddlesBandAndTheExplosionFromBothPages) {
    PaddleX = 300;
    constexpr sheets::Rect frame = sheets::ExplosionHalves[0].First;
    const Rect band = RectAt(0, 550, 650, 50), blast = RectAt(PaddleX - 10, PaddleY - 60, frame.W, frame.H);
    const Rect gate = RectAt(screen::ExitGate.X, screen::ExitGate.Y, 17, 54);
    for (const Rect& r : {band, blast, gate}) Dirty(r);
    std::vector<std::vector<uint16_t>> shown;
    headless::SetFlipObserver([&](uint64_t) { shown.push_back(PrimarySurface->Words); });
    BallHeld = 0;
    BallX = 300;
    BallY = 590;
    TheBall.DirY = 1;
    Lives = 3;
    ASSERT_EQ(PlayFrame(), 1);
    headless::SetFlipObserver(nullptr);
    ASSERT_EQ(Lives, 2);
    constexpr int Frames = sheets::ExplosionFrames;
    ASSERT_GE(shown.size(), static_cast<size_t>(Frames + 3));
    plat::Surface page = *PrimarySurface;
    const auto look = [&](size_t flip) {
        page.Words = shown[flip];
        return &page;
    };
    EXPECT_EQ(Unrestored(look(0), band), "") << "the band, first page";
    for (int i = 1; i <= Frames; ++i)
        EXPECT_EQ(Unrestored(look(i), band, {blast}), "") << "the band around explosion frame " << i - 1;
    for (const int flip : {Frames + 1, Frames + 2}) {
        EXPECT_EQ(Unrestored(look(flip), blast), "") << "the explosion's place, flip " << flip;
        EXPECT_EQ(Unrestored(look(flip), band), "") << "the band, flip " << flip;
    }
    EXPECT_EQ(Unrestored(look(Frames + 2), gate), "") << "the gate";
}

// The exit: each step wipes the strip right of the gate, where the paddle
// slides out and the ball is parked, on the page it shows.
TEST_F(EraseTest, TheExitSlideWipesTheStripRightOfTheGateOnEveryPage) {
    const Rect strip = RectAt(668, 544, 130, 55);
    Dirty(strip);
    RunExitSequence();
    EXPECT_EQ(Unrestored(PrimarySurface, strip), "") << "the last page of the slide";
    EXPECT_EQ(Unrestored(BackBuffer, strip), "") << "the one before it";
}

// A cleared page is black to its last pixel; the game-over picture stands
// alone on black.
TEST_F(EraseTest, ClearedPagesAreBlackToTheirLastRowAndColumn) {
    Dirty(RectAt(0, 0, 800, 600));
    ClearScreen(ClearBackBuffer);
    EXPECT_TRUE(AllOf(BackBuffer, RectAt(0, 0, 800, 600), 0));
    EXPECT_TRUE(AllOf(PrimarySurface, RectAt(0, 0, 800, 600), Dirt));
    ClearScreen(ClearPrimary);
    EXPECT_TRUE(AllOf(PrimarySurface, RectAt(0, 0, 800, 600), 0));

    Dirty(RectAt(0, 0, 800, 600));
    ShowGameOver();
    EXPECT_TRUE(AllOf(BackBuffer, RectAt(0, 0, 800, 600), 0));
    constexpr sheets::Rect picture = sheets::GameOverPicture;
    const Rect shownAt = RectAt(174, 164, picture.W, picture.H);
    int dark = 0, outside = 0;
    for (int32_t y = 0; y < 600; ++y)
        for (int32_t x = 0; x < 800; ++x) {
            if (Inside(shownAt, x, y)) continue;
            ++outside;
            dark += At(PrimarySurface, x, y) == 0;
        }
    EXPECT_EQ(dark, outside) << "pixels around the game-over picture";
}

}  // namespace
