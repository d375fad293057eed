#include <gtest/gtest.h>

#include "gfx/pixel_packing.h"

namespace {

struct Worked {
    uint8_t r, g, b;
    uint16_t game565On16, otherwise;
};

TEST(PixelPacking, WorkedValuesForBothExecutablesAndBothDisplays) {
    const Worked table[] = {
        {255, 255, 255, 0xFFDF, 0x7FFF}, {255, 0, 0, 0xF800, 0x7C00},     {0, 255, 0, 0x07C0, 0x03E0},
        {0, 0, 255, 0x001F, 0x001F},     {128, 128, 128, 0x8410, 0x4210}, {7, 7, 7, 0, 0},
    };
    for (const Worked& w : table) {
        EXPECT_EQ(PackPixel(w.r, w.g, w.b, 16, Packing::Rgb565), w.game565On16);
        EXPECT_EQ(PackPixel(w.r, w.g, w.b, 16, Packing::Rgb555), w.otherwise);
        EXPECT_EQ(PackPixel(w.r, w.g, w.b, 15, Packing::Rgb565), w.otherwise);
        EXPECT_EQ(PackPixel(w.r, w.g, w.b, 15, Packing::Rgb555), w.otherwise);
    }
}

TEST(PixelPacking, ExactlyTheNearBlackPixelsBecomeTheKey) {
    for (int r = 0; r < 16; ++r)
        for (int g = 0; g < 16; ++g)
            for (int b = 0; b < 16; ++b) {
                const bool nearBlack = r < 8 && g < 8 && b < 8;
                for (Packing p : {Packing::Rgb565, Packing::Rgb555})
                    ASSERT_EQ(PackPixel(r, g, b, 16, p) == 0, nearBlack) << r << "," << g << "," << b;
            }
    // The six-bit green field never gets its low bit.
    for (int g = 0; g < 256; ++g) ASSERT_EQ(PackPixel(0, g, 0, 16, Packing::Rgb565) & 0x20, 0);
}

}  // namespace
