// The game's display and surfaces on the headless back end, as set-up
// leaves them, for tests of drawing code.
#pragma once

#include <gtest/gtest.h>

#include "gfx/pixel_packing.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "shell/devices.h"

namespace testing_support {

class GameDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        GamePacking = Packing::Rgb565;
        plat::DisplaySetWordLayout(plat::WordLayout::Rgb565);
        ASSERT_TRUE(plat::DisplayCreate());
        ASSERT_TRUE(plat::DisplaySetCooperativeLevel());
        ASSERT_TRUE(plat::DisplaySetMode(800, 600, 16));
        ASSERT_TRUE(plat::DisplayCreatePrimary(&PrimarySurface));
        ASSERT_TRUE(plat::DisplayGetBackBuffer(&BackBuffer));
        ASSERT_TRUE(plat::DisplayGetPixelFormat(&DisplayPixelFormat));
        plat::Surface** offscreen[] = {&ElementsSurface, &BElementsSurface, &BackdropSurface, &RoundArtSurface,
                                       &ShipsSurface,    &TitlesSurface,    &CloudsSurface};
        for (plat::Surface** s : offscreen)
            ASSERT_TRUE(plat::DisplayCreateSurface(s == &ShipsSurface ? 1424 : 800, 600, s));
    }

    void TearDown() override {
        plat::DisplayRelease();
        for (plat::Surface** s : {&PrimarySurface, &BackBuffer, &ElementsSurface, &BElementsSurface, &BackdropSurface,
                                  &RoundArtSurface, &ShipsSurface, &TitlesSurface, &CloudsSurface})
            *s = nullptr;
        DisplayPixelFormat = plat::PixelFormat{};
        plat::headless::Reset();
    }

    static uint16_t At(const plat::Surface* s, int x, int y) {
        return s->Words[static_cast<size_t>(y) * s->PitchWords + x];
    }
    static void Paint(plat::Surface* s, uint16_t word) { std::fill(s->Words.begin(), s->Words.end(), word); }
    // Every word of the rectangle equals `word`.
    static bool AllOf(const plat::Surface* s, plat::Rect r, uint16_t word) {
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (At(s, x, y) != word) return false;
        return true;
    }
};

}  // namespace testing_support
