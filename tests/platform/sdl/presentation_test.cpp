#include "platform/sdl/presentation.h"

#include <gtest/gtest.h>

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
