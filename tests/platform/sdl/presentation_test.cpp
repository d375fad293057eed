#include "platform/sdl/presentation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

using plat::WordLayout;
using namespace plat::sdl;

TEST(SdlPresentation, ConversionWidensEveryWordAsTheLayerDoes) {
    for (const WordLayout layout : {WordLayout::Rgb565, WordLayout::Rgb555}) {
        std::vector<uint16_t> words(65536);
        for (uint32_t w = 0; w < 65536; ++w) words[w] = static_cast<uint16_t>(w);
        // An odd count, so the row's tail after the vector loop is covered too.
        std::vector<uint32_t> pixels(65536, 0xDEADBEEF);
        ConvertRow(words.data(), pixels.data(), 65535, layout);
        EXPECT_EQ(pixels[65535], 0xDEADBEEFu) << "wrote past the row";
        for (uint32_t w = 0; w < 65535; ++w) {
            uint8_t rgb[3];
            plat::WordToRgb(static_cast<uint16_t>(w), layout, rgb);
            const uint32_t expected = uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
            ASSERT_EQ(pixels[w], expected) << "word " << w << (layout == WordLayout::Rgb565 ? " 565" : " 555");
        }
    }
    // The spare top bit of a 5-5-5 word is not red.
    EXPECT_EQ(WordToXrgb(0x8000, WordLayout::Rgb555), 0u);
    EXPECT_EQ(WordToXrgb(0x7C00, WordLayout::Rgb555), 0xFF0000u);
    EXPECT_EQ(WordToXrgb(0xF800, WordLayout::Rgb565), 0xFF0000u);
    EXPECT_EQ(WordToXrgb(0x07E0, WordLayout::Rgb565), 0x00FF00u);
}

TEST(SdlPresentation, TicksFallOnSixtiethsOfASecond) {
    EXPECT_EQ(NextTickMicros(0), 16667u);
    EXPECT_EQ(NextTickMicros(16666), 16667u);
    EXPECT_EQ(NextTickMicros(16667), 33334u);  // on a tick: the next one
    EXPECT_EQ(NextTickMicros(999999), 1000000u);
    EXPECT_EQ(NextTickMicros(1000000), 1016667u);
    // A month of running: still exact, no overflow.
    const uint64_t month = 30ull * 24 * 3600 * 1000000;
    EXPECT_EQ(NextTickMicros(month), month + 16667);
    for (uint64_t t = 0; t < 200000; t += 997) {
        const uint64_t next = NextTickMicros(t);
        EXPECT_GT(next, t);
        EXPECT_LE(next - t, TickMicros);
    }
}

TEST(SdlPresentation, ChangedRowsSpanEveryDifferenceAndIgnoreThePadding) {
    const int32_t width = 5, pitch = 6, height = 7;
    std::vector<uint16_t> before(pitch * height, 1), now = before;
    EXPECT_TRUE(ChangedRows(now.data(), before.data(), pitch, width, height).Empty());

    now[5] = 9;  // row 0's padding word: not part of the picture
    EXPECT_TRUE(ChangedRows(now.data(), before.data(), pitch, width, height).Empty());

    now[3 * pitch + 4] = 9;
    RowSpan span = ChangedRows(now.data(), before.data(), pitch, width, height);
    EXPECT_EQ(span.First, 3);
    EXPECT_EQ(span.Last, 3);

    now[0] = 9;
    now[6 * pitch] = 9;
    span = ChangedRows(now.data(), before.data(), pitch, width, height);
    EXPECT_EQ(span.First, 0);
    EXPECT_EQ(span.Last, 6);
}

TEST(SdlPresentation, ChangedAreasCoverEveryDifferenceWithoutTheSpanBetween) {
    const int32_t width = 800, pitch = 808, height = 600;
    std::vector<uint16_t> before(static_cast<size_t>(pitch) * height, 7), now = before;
    EXPECT_TRUE(ChangedAreas(now.data(), before.data(), pitch, width, height).empty());
    now[5 * pitch + 800] = 1;  // padding only
    EXPECT_TRUE(ChangedAreas(now.data(), before.data(), pitch, width, height).empty());

    // A ball near the top left, a panel digit near the bottom right, and a
    // pixel in the last column.
    const std::vector<std::pair<int32_t, int32_t>> changed = {{12, 14}, {19, 21}, {700, 580}, {799, 599}, {0, 0}};
    for (auto [x, y] : changed) now[static_cast<size_t>(y) * pitch + x] = 9;
    const std::vector<plat::Rect> areas = ChangedAreas(now.data(), before.data(), pitch, width, height);
    for (auto [x, y] : changed) {
        const bool covered = std::any_of(areas.begin(), areas.end(), [&](const plat::Rect& r) {
            return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
        });
        EXPECT_TRUE(covered) << x << "," << y;
    }
    int64_t area = 0;
    for (const plat::Rect& r : areas) {
        EXPECT_TRUE(r.Left >= 0 && r.Right <= width && r.Top >= 0 && r.Bottom <= height && r.Left < r.Right &&
                    r.Top < r.Bottom);
        area += int64_t{r.Right - r.Left} * (r.Bottom - r.Top);
    }
    EXPECT_LT(area, width * height / 50) << "the span between the changes was taken too";

    // With the rows' hashes the same areas come out, and the hashes follow
    // the page: the next call finds nothing changed.
    std::vector<uint64_t> hashes(height);
    for (int32_t y = 0; y < height; ++y) hashes[y] = RowHash(before.data() + static_cast<size_t>(y) * pitch, width);
    const std::vector<plat::Rect> hashed = ChangedAreas(now.data(), before.data(), pitch, width, height, &hashes);
    ASSERT_EQ(hashed.size(), areas.size());
    for (size_t i = 0; i < areas.size(); ++i) {
        EXPECT_EQ(hashed[i].Left, areas[i].Left);
        EXPECT_EQ(hashed[i].Top, areas[i].Top);
        EXPECT_EQ(hashed[i].Right, areas[i].Right);
        EXPECT_EQ(hashed[i].Bottom, areas[i].Bottom);
    }
    EXPECT_TRUE(ChangedAreas(now.data(), before.data(), pitch, width, height, &hashes).empty());

    // Any one word changed, anywhere in a row, to any other value: another hash.
    std::vector<uint16_t> row(width, 0x1234);
    const uint64_t plain = RowHash(row.data(), width);
    for (int32_t x = 0; x < width; x += 7) {
        for (uint16_t value : {0x0000, 0x1235, 0x9234, 0xFFFF}) {
            row[x] = value;
            ASSERT_NE(RowHash(row.data(), width), plain) << x << " " << value;
        }
        row[x] = 0x1234;
    }
}

TEST(SdlPresentation, SharpTapsAreNearestAtAWholeFactorAndBlendOneEdgeOtherwise) {
    // Whole factors: every shown pixel is one picture pixel, each k times.
    for (int32_t k : {1, 2, 3}) {
        const auto taps = SharpScaler::Taps(800, 800 * k);
        for (int32_t i = 0; i < 800 * k; ++i) {
            ASSERT_EQ(taps[static_cast<size_t>(i)].First, i / k) << k;
            ASSERT_EQ(taps[static_cast<size_t>(i)].Weight, 0u) << k;
        }
    }
    // 1.8 and 2.5: the edge between two picture pixels softens at most two
    // shown pixels, the columns go in order, and the picture's ends are exact.
    for (int32_t shown : {1440, 2000}) {
        const auto taps = SharpScaler::Taps(800, shown);
        EXPECT_EQ(taps.front().First, 0);
        EXPECT_EQ(taps.front().Weight, 0u);
        EXPECT_EQ(taps.back().First, 799);
        EXPECT_EQ(taps.back().Weight, 0u);
        std::vector<int> soft(800, 0);
        for (size_t i = 1; i < taps.size(); ++i) {
            ASSERT_GE(taps[i].First, taps[i - 1].First);
            ASSERT_LE(taps[i].First, 799);
            soft[static_cast<size_t>(taps[i].First)] += taps[i].Weight != 0;
        }
        EXPECT_LE(*std::max_element(soft.begin(), soft.end()), 2) << shown;
    }
    // Placed as large as fits, centred.
    const plat::Rect wide = PlacePicture(800, 600, 1920, 1080);
    EXPECT_EQ(wide.Left, 240);
    EXPECT_EQ(wide.Right, 1680);
    EXPECT_EQ(wide.Top, 0);
    EXPECT_EQ(wide.Bottom, 1080);
    const plat::Rect tall = PlacePicture(800, 600, 1024, 1000);
    EXPECT_EQ(tall.Right - tall.Left, 1024);
    EXPECT_EQ(tall.Bottom - tall.Top, 768);
    EXPECT_EQ(tall.Top, 116);
    EXPECT_EQ(PlacePicture(800, 600, 0, 600).Right, 0);
}

TEST(SdlPresentation, WindowedScaleGrowsOnDenseScreensOnlyAsFarAsFits) {
    EXPECT_EQ(WindowedScale(800, 600, 1440, 2560, 1400), 1);
    EXPECT_EQ(WindowedScale(800, 600, 2160, 3840, 2100), 2);
    EXPECT_EQ(WindowedScale(800, 600, 4320, 7680, 4200), 4);
    EXPECT_EQ(WindowedScale(800, 600, 2160, 1500, 2100), 1);  // a narrow usable area
    EXPECT_EQ(WindowedScale(800, 600, 480, 640, 450), 1);     // smaller than the window: still 1
    EXPECT_EQ(WindowedScale(0, 0, 2160, 3840, 2100), 1);
}

TEST(SdlPresentation, SoftwareOpenGlIsToldFromHardware) {
    EXPECT_TRUE(IsSoftwareGl("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(IsSoftwareGl("softpipe"));
    EXPECT_TRUE(IsSoftwareGl("SWR (LLVM 6.0.1, AVX2) (Mesa 18.3.6)"));
    EXPECT_TRUE(IsSoftwareGl("Software Rasterizer"));
    EXPECT_TRUE(IsSoftwareGl("GDI Generic"));
    EXPECT_FALSE(IsSoftwareGl("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(IsSoftwareGl("NVIDIA GeForce RTX 3060/PCIe/SSE2"));
    // Hardware drivers built on LLVM name it too.
    EXPECT_FALSE(IsSoftwareGl("AMD Radeon RX 6600 (navy_flounder, LLVM 15.0.6, DRM 3.49, 6.1.0-10-amd64)"));
    EXPECT_FALSE(IsSoftwareGl(""));
}

TEST(SdlPresentation, DriversThatShowNothingOnlyWhenAskedFor) {
    EXPECT_TRUE(AcceptsVideoDriver("x11", nullptr));
    EXPECT_TRUE(AcceptsVideoDriver("wayland", "x11"));
    for (const char* blind : {"offscreen", "dummy"}) {
        EXPECT_FALSE(AcceptsVideoDriver(blind, nullptr)) << blind;
        EXPECT_FALSE(AcceptsVideoDriver(blind, "")) << blind;
        EXPECT_FALSE(AcceptsVideoDriver(blind, "x11,wayland")) << blind;
        EXPECT_TRUE(AcceptsVideoDriver(blind, blind)) << blind;
        EXPECT_TRUE(AcceptsVideoDriver(blind, (std::string("x11,") + blind).c_str())) << blind;
    }
    EXPECT_TRUE(AcceptsVideoDriver("offscreen", "OFFSCREEN"));
    EXPECT_FALSE(AcceptsVideoDriver("offscreen", "offscreen2"));
    EXPECT_EQ(NoDisplayMessage(":55", nullptr, "why"), "no display could be opened (DISPLAY=:55): why");
    EXPECT_EQ(NoDisplayMessage(nullptr, "wayland-1", ""),
              "no display could be opened (DISPLAY is not set, WAYLAND_DISPLAY=wayland-1)");
}

// Only what explains a failure reaches the player's one line.
TEST(SdlPresentation, VideoStartNoiseIsDroppedUnlessItExplains) {
    const std::string xdg = "error: XDG_RUNTIME_DIR is invalid or not set in the environment.\n";
    EXPECT_EQ(VideoStartNote(xdg, nullptr), "");
    EXPECT_EQ(VideoStartNote(xdg, ""), "");
    EXPECT_EQ(VideoStartNote("", "wayland-0"), "");
    // Wayland was asked for by name: then the complaint is the reason.
    EXPECT_EQ(VideoStartNote(xdg, "wayland-0"), "error: XDG_RUNTIME_DIR is invalid or not set in the environment.");
    EXPECT_EQ(VideoStartNote(xdg + "  Authorization required, but no authorization protocol specified\r\n\n", nullptr),
              "Authorization required, but no authorization protocol specified");
    EXPECT_EQ(VideoStartNote("one\ntwo", nullptr), "one; two");
}

}  // namespace
