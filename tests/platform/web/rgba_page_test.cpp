#include "platform/web/rgba_page.h"

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

plat::Surface Page(int32_t width, int32_t height, int32_t pitch) {
    plat::Surface s;
    s.Width = width;
    s.Height = height;
    s.PitchWords = pitch;
    s.Words.resize(static_cast<size_t>(pitch) * height);
    for (size_t i = 0; i < s.Words.size(); ++i) s.Words[i] = static_cast<uint16_t>(i * 2654435761u >> 7);
    return s;
}

TEST(RgbaPage, EveryWordComesOutAsTheLayerWidensItOpaque) {
    // A pitch wider than the picture, as the surfaces have; both layouts.
    const plat::Surface s = Page(7, 5, 9);
    for (plat::WordLayout layout : {plat::WordLayout::Rgb565, plat::WordLayout::Rgb555}) {
        plat::web::RgbaPage page;
        const plat::Rect done = page.Convert(s, layout, plat::Rect{0, 0, 7, 5});
        EXPECT_EQ(done.Right - done.Left, 7);
        for (int32_t y = 0; y < 5; ++y)
            for (int32_t x = 0; x < 7; ++x) {
                uint8_t rgb[3];
                plat::WordToRgb(s.Words[static_cast<size_t>(y) * 9 + x], layout, rgb);
                const uint8_t* got = page.Bytes() + (static_cast<size_t>(y) * 7 + x) * 4;
                EXPECT_EQ(got[0], rgb[0]);
                EXPECT_EQ(got[1], rgb[1]);
                EXPECT_EQ(got[2], rgb[2]);
                EXPECT_EQ(got[3], 255);
            }
    }
}

TEST(RgbaPage, AnAreaIsClippedToThePageAndABrokenSurfaceIsRefused) {
    plat::Surface s = Page(10, 10, 10);
    plat::web::RgbaPage page;
    const plat::Rect done = page.Convert(s, plat::WordLayout::Rgb565, plat::Rect{-5, 8, 4, 30});
    EXPECT_EQ(done.Left, 0);
    EXPECT_EQ(done.Top, 8);
    EXPECT_EQ(done.Right, 4);
    EXPECT_EQ(done.Bottom, 10);
    // Outside the area nothing was written.
    EXPECT_EQ(page.Bytes()[(7 * 10 + 0) * 4 + 3], 0);
    EXPECT_EQ(page.Bytes()[(8 * 10 + 3) * 4 + 3], 255);
    EXPECT_EQ(page.Bytes()[(8 * 10 + 4) * 4 + 3], 0);

    // Words too few for the rows, or a pitch short of the width: nothing read.
    s.Words.resize(50);
    EXPECT_EQ(page.Convert(s, plat::WordLayout::Rgb565, plat::Rect{0, 0, 10, 10}).Right, 0);
    plat::Surface narrow = Page(10, 10, 8);
    EXPECT_EQ(page.Convert(narrow, plat::WordLayout::Rgb565, plat::Rect{0, 0, 10, 10}).Right, 0);
}

}  // namespace
