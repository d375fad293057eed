// The generated art and voices: file formats, where every picture sits on
// its sheet, the colour key, the sounds' levels and lengths, and that every
// run gives the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "art.h"
#include "asset_files.h"
#include "assets.h"
#include "bmp_writer.h"
#include "exact_math.h"
#include "font.h"
#include "ico_writer.h"
#include "noise.h"
#include "shapes.h"
#include "synth.h"
#include "voc_writer.h"

using assetgen::Image;
using assetgen::Rgb8;

namespace {

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + size_t(i)];
    return v;
}

// The game's packing, written out here on its own: five bits a channel,
// green one place higher in 5-6-5.
uint16_t Pack565(Rgb8 p) { return uint16_t((p.R >> 3) << 11 | (p.G >> 3) << 6 | (p.B >> 3)); }
uint16_t Pack555(Rgb8 p) { return uint16_t((p.R >> 3) << 10 | (p.G >> 3) << 5 | (p.B >> 3)); }

struct Region {
    std::string File;
    int X, Y, W, H;
    bool Keyed;         // drawn with the colour key
    bool FreeStanding;  // keyed and meant to have key all round it
};

// Every rectangle the game copies from the art, as the game reads them.
std::vector<Region> SheetMap() {
    std::vector<Region> r;
    const std::string e = "ELEMENTS.DAT", b = "BELEMNTS.DAT", s = "SHIPS1.DAT";
    for (int x : {1, 53, 105, 157, 209}) {
        for (int n = 0; n < 13; ++n) {
            r.push_back({e, x, 1 + 22 * n, 50, 21, true, true});
            r.push_back({e, x, 287 + 22 * n, 50, 20, true, true});
        }
    }
    for (int k = 0; k < 9; ++k) r.push_back({e, 314, 1 + 24 * k, 47, 23, true, true});
    const int bases[] = {0, 126, 231, 336, 462}, frames[] = {6, 5, 5, 6, 6};
    for (int row = 0; row < 5; ++row) {
        for (int f = 0; f < frames[row]; ++f) r.push_back({e, 363, bases[row] + 21 * f + 1, 110, 19, true, true});
    }
    for (int x : {476, 613}) {
        for (int y : {1, 88, 175, 262, 349, 436}) r.push_back({e, x, y, 135, 85, true, true});
    }
    r.push_back({e, 750, 1, 10, 10, true, true});
    r.push_back({e, 750, 13, 6, 19, true, true});
    for (int n = 0; n < 9; ++n) r.push_back({e, 750, 37 + 56 * n, 17, 53, false, false});
    r.push_back({b, 8, 6, 18, 592, true, false});
    r.push_back({b, 26, 6, 624, 19, true, false});
    r.push_back({b, 650, 6, 18, 592, true, false});
    r.push_back({b, 37, 37, 219, 34, true, true});
    for (int n = 0; n < 20; ++n) r.push_back({b, 6 + 31 * n, 73, 29, 34, true, n > 0});
    r.push_back({b, 106, 123, 449, 436, false, false});
    r.push_back({s, 0, 0, 498, 298, true, false});
    r.push_back({s, 0, 299, 608, 66, false, false});
    r.push_back({s, 0, 367, 783, 98, false, false});
    r.push_back({s, 0, 467, 641, 62, false, false});
    r.push_back({s, 87, 531, 22, 21, true, false});
    r.push_back({s, 1, 531, 84, 13, false, false});
    for (int i = 0; i < 12; ++i) r.push_back({s, 611 + 203 * (i % 4), 1 + 121 * (i / 4), 200, 119, false, false});
    r.push_back({s, 785, 364, 200, 119, false, false});
    for (int m = 0; m < 6; ++m) r.push_back({s, 988 + 122 * (m % 3), 365 + 70 * (m / 3), 120, 68, false, false});
    for (int i = 0; i < 6; ++i) r.push_back({s, 645 + 122 * i, 505, 120, 68, false, false});
    return r;
}

bool IsKey(Rgb8 p) { return p == Rgb8{}; }

int VisibleIn(const Image& img, int x, int y, int w, int h) {
    int n = 0;
    for (int yy = y; yy < y + h; ++yy) {
        for (int xx = x; xx < x + w; ++xx) n += !IsKey(img.At(xx, yy));
    }
    return n;
}

const std::vector<std::string> PictureNames = {"ELEMENTS.DAT", "BELEMNTS.DAT", "TITLES.DAT",  "CLOUDS.DAT",
                                               "SHIPS1.DAT",   "LEVEL1.GRA",   "LEVEL2.GRA",  "LEVEL3.GRA",
                                               "LEVEL4.GRA",   "LEVEL5.GRA",   "LEVEL6.GRA",  "LEVEL7.GRA",
                                               "LEVEL8.GRA",   "LEVEL9.GRA",   "LEVEL10.GRA", "LEVEL11.GRA"};

struct Budget {
    std::string Name;
    uint32_t Bytes;
};
const std::vector<Budget> VoiceBudgets = {{"brick_high_ping.voc", 352800},
                                          {"brick_low_ping.voc", 352800},
                                          {"paddle_ping.voc", 352800},
                                          {"crash.voc", 1058400},
                                          {"fanfare.voc", 1058400},
                                          {"expand.voc", 352800},
                                          {"warp2.voc", 882000},
                                          {"titles.voc", 6879600},
                                          {"ships1.voc", 2646000},
                                          {"gameover.voc", 1234800},
                                          {"shrink.voc", 529200},
                                          {"lasers.voc", 246960},
                                          {"bonus.voc", 352800}};

float Seconds(const assetgen::Sound& s) { return float(s.Samples.size() / 2) / 44100.f; }

}  // namespace

// --- Noise -------------------------------------------------------------------

// Fbm keeps each octave's last lattice cell between calls, one set a thread:
// whatever was asked before (other seeds, other octave counts, far points,
// the same cell again), it must give what a thread asking nothing else gives.
TEST(Noise, FbmIsTheSameWhateverCameBefore) {
    const struct {
        float X, Y;
        uint32_t Seed;
        int Octaves;
    } asks[] = {{0.5f, 0.5f, 1, 3},  {0.6f, 0.5f, 1, 3},  {0.6f, 0.5f, 2, 3},    {0.6f, 0.5f, 1, 9},
                {-3.2f, 7.9f, 1, 5}, {0.61f, 0.5f, 1, 3}, {1.5f, 0.5f, 1, 3},    {0.7f, 0.5f, 102, 2},
                {0.7f, 0.5f, 1, 2},  {100.f, -4.f, 7, 6}, {100.01f, -4.f, 7, 6}, {0.5f, 0.5f, 1, 3}};
    for (const auto& a : asks) {
        float alone = 0;
        std::thread([&] { alone = assetgen::Fbm(a.X, a.Y, a.Seed, a.Octaves); }).join();
        EXPECT_EQ(assetgen::Fbm(a.X, a.Y, a.Seed, a.Octaves), alone)
            << a.X << ", " << a.Y << " seed " << a.Seed << " octaves " << a.Octaves;
    }
}

// --- Shapes --------------------------------------------------------------------

// A bevelled solid paints its outline and its body in one pass, and a plain
// fill skips the shape's normals: every pixel must come out as the two passes
// over the whole area left it, over what was painted before, at any outline
// width, for the lettering too (which keeps its nearest stroke between calls).
// Shapes that are distances pass over pixels out of reach, and must paint
// what measuring every pixel paints.
TEST(Shapes, OnePassPaintsWhatTheTwoPassesPainted) {
    using namespace assetgen;
    const TextShape text(LayoutText("QORB 25", 3.3f, 4.1f, TextStyle{4, 1.5f, 1.6f, 0.1f, 1}), 1.5f);
    const auto round = [](float x, float y) { return SdRoundRect(x, y, 30.2f, 20.7f, 17.f, 9.5f, 4.f); };
    const auto circle = [](float x, float y) { return SdCircle(x, y, 44.5f, 12.25f, 6.3f); };
    const auto shade = [](float x, float y, float inside, float nx, float ny) {
        return Color{x / 64, y / 40, inside * 0.1f + nx * ny};
    };
    const Color edge{0.9f, 0.2f, 0.1f};
    const auto start = [&] {
        Layer layer(64, 40);
        FillShape(
            layer, 0, 0, 64, 40, [](float x, float y) { return SdCircle(x, y, 20, 20, 15) + 0.3f; }, edge);
        return layer;
    };
    const auto same = [](const Layer& a, const Layer& b) {
        return std::memcmp(a.Pixels.data(), b.Pixels.data(), a.Pixels.size() * sizeof(Layer::Px)) == 0;
    };
    const SdfView shapes[] = {text, round, circle};
    for (size_t k = 0; k < std::size(shapes); ++k) {
        const SdfView sdf = shapes[k];
        for (float outline : {0.f, 0.5f, 1.f, 2.2f}) {
            Layer once = start(), twice = start();
            DrawOutlined(once, -3, -2, 70, 45, sdf, outline, edge, shade);
            DrawShape(
                twice, -3, -2, 70, 45, [&](float x, float y) { return sdf(x, y) - outline; },
                [&](float, float, float, float, float) { return edge; });
            DrawShape(twice, -3, -2, 70, 45, sdf, shade);
            EXPECT_TRUE(same(once, twice)) << "shape " << k << ", outline " << outline;
            Layer skipping = start();
            DrawOutlined(skipping, -3, -2, 70, 45, sdf, outline, edge, shade, Measure::Distance);
            EXPECT_TRUE(same(skipping, once)) << "shape " << k << ", outline " << outline << " as a distance";
        }
        Layer glow = start(), skippingGlow = start();
        AddGlow(glow, 0, 0, 64, 40, sdf, edge, 3.5f, 0.6f);
        AddGlow(skippingGlow, 0, 0, 64, 40, sdf, edge, 3.5f, 0.6f, Measure::Distance);
        EXPECT_TRUE(same(glow, skippingGlow)) << "shape " << k << " glowing";
        Layer filled = start(), drawn = start();
        FillShape(filled, 5, 3, 60, 38, sdf, edge);
        DrawShape(drawn, 5, 3, 60, 38, sdf, [&](float, float, float, float, float) { return edge; });
        EXPECT_TRUE(same(filled, drawn)) << "shape " << k << " filled";
    }
}

// --- Reading numbers ---------------------------------------------------------

// The art and music read their numbers with ReadFloat instead of strtof;
// any float apart, and the files would differ between builds.
TEST(ReadFloat, GivesStrtofsFloatAndStopsWhereItStops) {
    std::vector<std::string> texts = {"0",  "-0",      "4",        "12",        "0.5",   "-0.4", "2.75",
                                      "1.", "9999999", "12345678", "0.1234567", "3.4e2", "0x1A", "+2",
                                      ".",  "-",       "",         "2,6",       "1.5.3", " 7",   "inf"};
    for (int i = -2000; i <= 2000; ++i)
        texts.push_back(std::to_string(i / 100) + "." + std::to_string(std::abs(i % 100)));
    for (int i = 0; i < 1000; ++i) texts.push_back("0.00" + std::to_string(i));
    for (const std::string& text : texts) {
        char* strtofEnd = nullptr;
        const float expected = std::strtof(text.c_str(), &strtofEnd);
        const char* end = nullptr;
        const float got = assetgen::ReadFloat(text.c_str(), &end);
        EXPECT_EQ(std::signbit(got), std::signbit(expected)) << text;
        EXPECT_EQ(got, expected) << text;
        EXPECT_EQ(end, strtofEnd) << text;
    }
}

// --- The writers -----------------------------------------------------------

TEST(BmpWriter, WritesBottomUpRowsAfterTheHeaders) {
    Image img(4, 2);
    img.At(0, 0) = {1, 2, 3};  // top left
    img.At(3, 1) = {7, 8, 9};  // bottom right
    auto bytes = assetgen::EncodeBmp(img);
    ASSERT_EQ(bytes.size(), 54u + 24u);
    EXPECT_EQ(Le(bytes, 34, 4), 24u);  // biSizeImage
    EXPECT_EQ(bytes[54 + 9], 9);       // bottom row first: its last pixel, blue
    EXPECT_EQ(bytes[54 + 11], 7);
    EXPECT_EQ(bytes[54 + 12], 3);  // then the top row, blue green red
    EXPECT_EQ(bytes[54 + 14], 1);
    EXPECT_THROW(assetgen::EncodeBmp(Image(6, 2)), std::invalid_argument);  // rows would need padding
}

TEST(VocWriter, BlockLengthLeavesFourSilentBytesUnheard) {
    std::vector<int16_t> samples = {100, -100, 200, -200};
    auto bytes = assetgen::EncodeVoc(samples);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 19), "Creative Voice File");
    EXPECT_EQ(bytes[19], 0x1A);
    EXPECT_EQ(Le(bytes, 20, 2), 26u);
    EXPECT_EQ(uint16_t(~Le(bytes, 22, 2) + 0x1234), Le(bytes, 24, 2));
    EXPECT_EQ(bytes[26], 1);
    const uint32_t length = Le(bytes, 27, 3);
    // The game buffers L - 6 bytes from offset 32: exactly the samples.
    EXPECT_EQ(length - 6, samples.size() * 2);
    EXPECT_EQ(int16_t(Le(bytes, 32 + 6, 2)), -200);
    for (uint32_t i = 32 + length - 6; i < 30 + length; ++i) EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(bytes.size(), 30u + length + 1);  // and a terminator block
}

// --- The files ---------------------------------------------------------------

TEST(Assets, AllTwentyNineFilesAreMade) {
    std::set<std::string> expected(PictureNames.begin(), PictureNames.end());
    for (const auto& b : VoiceBudgets) expected.insert(b.Name);
    std::set<std::string> made;
    for (const auto& f : assetgen::EncodeAll(generated::Pictures(), generated::Sounds())) made.insert(f.Name);
    EXPECT_EQ(made, expected);
    EXPECT_EQ(made.size(), 29u);
}

TEST(Assets, PicturesAreUncompressed24BitBitmapsOfTheSurfaceSize) {
    for (const auto& name : PictureNames) {
        SCOPED_TRACE(name);
        const auto& f = generated::File(name);
        const uint32_t w = name == "SHIPS1.DAT" ? 1424 : 800, h = 600;
        ASSERT_GE(f.size(), 54u);
        EXPECT_EQ(Le(f, 0, 2), 0x4D42u);
        EXPECT_EQ(Le(f, 18, 4), w);
        EXPECT_EQ(Le(f, 22, 4), h);
        EXPECT_EQ(Le(f, 28, 2), 24u);
        EXPECT_EQ(Le(f, 30, 4), 0u);
        // The game finds the pixels as the last biSizeImage bytes.
        EXPECT_EQ(Le(f, 34, 4), w * h * 3);
        EXPECT_EQ(f.size() - Le(f, 10, 4), w * h * 3);
        // Row 0 of the picture is the file's last row.
        const Image& art = generated::Art(name);
        const size_t lastRow = f.size() - size_t(w) * 3;
        EXPECT_EQ(f[lastRow + 2], art.At(0, 0).R);
        EXPECT_EQ(f[lastRow + 1], art.At(0, 0).G);
        EXPECT_EQ(f[lastRow], art.At(0, 0).B);
    }
}

TEST(Assets, VoicesHoldOneBlockWithinTheirBudget) {
    for (const auto& budget : VoiceBudgets) {
        SCOPED_TRACE(budget.Name);
        const auto& f = generated::File(budget.Name);
        ASSERT_GE(f.size(), 33u);
        const uint32_t h = f[20];
        ASSERT_EQ(h, 26u);
        const uint32_t length = Le(f, h + 1, 3);
        EXPECT_LE(h + 4 + length, budget.Bytes) << "the game would read past its budget";
        EXPECT_EQ((length - 6) % 4, 0u) << "whole stereo frames";
        EXPECT_GT(length - 6, 4410u * 4) << "at least a tenth of a second";
    }
}

TEST(Assets, SameBytesOnEveryRunAndFileByFile) {
    // Made again one job at a time, as the browser makes them between frames
    // of its progress bar: the same files in the same order.
    const auto jobs = assetgen::AllAssetJobs();
    const auto first = assetgen::EncodeAll(generated::Pictures(), generated::Sounds());
    ASSERT_EQ(jobs.size(), first.size());
    for (size_t i = 0; i < jobs.size(); ++i) {
        EXPECT_EQ(jobs[i].Name, first[i].Name);
        EXPECT_TRUE(jobs[i].Make() == generated::File(jobs[i].Name)) << jobs[i].Name;
    }
}

// --- The sheet map and the colour key --------------------------------------

TEST(Art, EveryRegionHasVisiblePixelsAndFreeSpritesStandOnKey) {
    for (const Region& r : SheetMap()) {
        SCOPED_TRACE(r.File + " at " + std::to_string(r.X) + "," + std::to_string(r.Y));
        const Image& art = generated::Art(r.File);
        int visible = VisibleIn(art, r.X, r.Y, r.W, r.H);
        EXPECT_GE(visible, 40);
        if (!r.Keyed) {
            EXPECT_EQ(visible, r.W * r.H) << "an opaque copy shows every pixel";
        }
        if (!r.FreeStanding) continue;
        // The ring just outside the rectangle is key: nothing of the sprite
        // is cut off, and no neighbour reaches into it.
        int ringVisible = 0;
        for (int x = r.X - 1; x <= r.X + r.W; ++x) {
            for (int y : {r.Y - 1, r.Y + r.H}) {
                if (x >= 0 && y >= 0 && x < art.Width && y < art.Height) ringVisible += !IsKey(art.At(x, y));
            }
        }
        for (int y = r.Y; y < r.Y + r.H; ++y) {
            for (int x : {r.X - 1, r.X + r.W}) {
                if (x >= 0 && x < art.Width) ringVisible += !IsKey(art.At(x, y));
            }
        }
        EXPECT_EQ(ringVisible, 0);
    }
}

TEST(Art, NoVisiblePixelPacksToTheKeyInEitherPacking) {
    for (const auto& p : generated::Pictures()) {
        SCOPED_TRACE(p.Name);
        int hidden = 0;
        for (const Rgb8& px : p.Art.Pixels) {
            if (IsKey(px)) continue;
            hidden += Pack565(px) == 0 || Pack555(px) == 0;
        }
        EXPECT_EQ(hidden, 0);
    }
    // Pictures shown whole hold no key at all.
    for (const char* name : {"TITLES.DAT", "CLOUDS.DAT", "LEVEL1.GRA", "LEVEL7.GRA", "LEVEL11.GRA"}) {
        const Image& art = generated::Art(name);
        EXPECT_EQ(VisibleIn(art, 0, 0, art.Width, art.Height), art.Width * art.Height) << name;
    }
}

TEST(Art, GlyphSlotZeroLeavesTheLeftWallWhole) {
    const Image& sheet = generated::Art("BELEMNTS.DAT");
    const Image walls = assetgen::DrawWalls();
    for (int y = 73; y < 73 + 34; ++y) {
        for (int x = 8; x < 26; ++x) ASSERT_EQ(sheet.At(x, y), walls.At(x, y)) << x << "," << y;
    }
    EXPECT_GT(VisibleIn(sheet, 26, 73, 9, 34), 40) << "the zero still shows beside the wall";
}

TEST(Art, PaddleBodiesCoverTheirHitSpans) {
    const Image& sheet = generated::Art("ELEMENTS.DAT");
    auto span = [&](int top) {
        int left = 999, right = -1;
        for (int x = 0; x < 110; ++x) {
            if (!IsKey(sheet.At(363 + x, top + 9))) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        return std::pair{left, right};
    };
    // Still images: normal row 1 frame 0, laser row 2 frame 4, catch row 3
    // frame 4, wide row 4 frame 5, narrow row 5 frame 4.
    struct Case {
        int Top, Left, Right;
    } cases[] = {{1, 17, 94}, {127 + 84, 17, 94}, {232 + 84, 17, 94}, {337 + 105, 3, 108}, {463 + 84, 34, 74}};
    for (const Case& c : cases) {
        auto [left, right] = span(c.Top);
        EXPECT_NEAR(left, c.Left, 3) << "image at y " << c.Top;
        EXPECT_NEAR(right, c.Right, 3) << "image at y " << c.Top;
    }
    // The laser paddle's guns rise above its body where the shots leave.
    const int laser = 127 + 84;
    for (int gun : {15, 87}) EXPECT_GE(VisibleIn(sheet, 363 + gun, laser, 6, 3), 12) << gun;
    EXPECT_EQ(VisibleIn(sheet, 363 + 40, laser, 20, 2), 0);
}

TEST(Art, AnimationsMoveFromFrameToFrame) {
    const Image& sheet = generated::Art("ELEMENTS.DAT");
    auto same = [&](int x0, int y0, int x1, int y1, int w, int h) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (!(sheet.At(x0 + x, y0 + y) == sheet.At(x1 + x, y1 + y))) return false;
            }
        }
        return true;
    };
    for (int column : {1, 53, 105, 157, 209}) {
        for (int n = 1; n < 12; ++n) EXPECT_FALSE(same(column, 1, column, 1 + 22 * n, 50, 20)) << column << " " << n;
    }
    for (int n = 1; n < 9; ++n) EXPECT_FALSE(same(750, 37, 750, 37 + 56 * n, 17, 53)) << "gate " << n;
    for (int f = 1; f < 6; ++f) EXPECT_FALSE(same(363, 1, 363, 1 + 21 * f, 110, 19)) << "morph " << f;
    // The explosion grows and then thins out.
    int first = VisibleIn(sheet, 476, 1, 135, 85), middle = VisibleIn(sheet, 476, 436, 135, 85);
    int last = VisibleIn(sheet, 613, 436, 135, 85);
    EXPECT_LT(first, middle);
    EXPECT_LT(last, middle);
}

TEST(Art, TitleZoomStartsFromASmoothCorner) {
    // The zoom first stretches the top-left 201 x 1 pixels over the screen.
    const Image& title = generated::Art("TITLES.DAT");
    for (int y = 0; y < 4; ++y) {
        for (int x = 1; x < 204; ++x) {
            Rgb8 a = title.At(x - 1, y), b = title.At(x, y);
            int step = std::max({std::abs(a.R - b.R), std::abs(a.G - b.G), std::abs(a.B - b.B)});
            ASSERT_LE(step, 6) << x << "," << y;
        }
    }
}

TEST(Art, IconIsTheOrbOnATransparentSquareAtEverySize) {
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const assetgen::Layer icon = assetgen::DrawIcon(size);
        ASSERT_EQ(icon.Width, size);
        ASSERT_EQ(icon.Height, size);
        // Solid across the orb, centred; nothing at the edges, where the
        // desktop's own ground shows.
        const int c = size / 2, r = size * 3 / 10, e = size - 1;
        for (auto [x, y] : {std::pair{c, c}, {c - r, c}, {c + r, c}, {c, c - r}, {c, c + r}})
            EXPECT_GE(icon.At(x, y).A, 0.99f) << size << " px at " << x << "," << y;
        for (auto [x, y] : {std::pair{0, 0}, {e, 0}, {0, e}, {e, e}, {c, 0}, {0, c}, {e, c}, {c, e}})
            EXPECT_LT(icon.At(x, y).A, 0.02f) << size << " px at " << x << "," << y;
    }
}

// A launcher may cut the installed app's icon to any shape that keeps the
// middle circle of 80% of the side: the whole square is painted, and the orb
// and its glow stay inside that circle, on the plain ground.
TEST(Art, MaskableIconKeepsTheOrbInsideTheSafeCircle) {
    const assetgen::Layer icon = assetgen::DrawMaskableIcon(512);
    ASSERT_EQ(icon.Width, 512);
    const assetgen::Layer::Px ground = icon.At(0, 0);
    int painted = 0;
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            const assetgen::Layer::Px& p = icon.At(x, y);
            ASSERT_GE(p.A, 0.999f) << x << "," << y;
            const float dx = x + 0.5f - 256, dy = y + 0.5f - 256;
            const bool plain =
                std::abs(p.R - ground.R) < 1 && std::abs(p.G - ground.G) < 1 && std::abs(p.B - ground.B) < 1;
            if (dx * dx + dy * dy > 204.8f * 204.8f)
                ASSERT_TRUE(plain) << "drawn outside the safe circle at " << x << "," << y;
            else if (!plain)
                ++painted;
        }
    }
    EXPECT_GT(painted, 512 * 512 / 4) << "the orb fills the circle";
}

TEST(Art, IconFileHoldsEverySizeWhereItsDirectorySays) {
    std::vector<assetgen::Layer> sizes;
    for (int size : {16, 32, 256}) sizes.push_back(assetgen::DrawIcon(size));
    const std::vector<uint8_t> ico = assetgen::EncodeIco(sizes);
    ASSERT_GE(ico.size(), 6u + 3 * 16);
    EXPECT_EQ(Le(ico, 0, 2), 0u);
    EXPECT_EQ(Le(ico, 2, 2), 1u);
    ASSERT_EQ(Le(ico, 4, 2), 3u);
    size_t end = 6 + 3 * 16;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const size_t entry = 6 + 16 * i;
        const int n = sizes[i].Width;
        EXPECT_EQ(ico[entry], n == 256 ? 0 : n);
        EXPECT_EQ(Le(ico, entry + 6, 2), 32u);
        const size_t bytes = Le(ico, entry + 8, 4), at = Le(ico, entry + 12, 4);
        EXPECT_EQ(at, end) << "pictures follow one another";
        const size_t mask = size_t((n + 31) / 32 * 4) * size_t(n);
        ASSERT_EQ(bytes, 40 + size_t(n) * size_t(n) * 4 + mask);
        ASSERT_LE(at + bytes, ico.size());
        EXPECT_EQ(Le(ico, at + 4, 4), uint32_t(n));
        EXPECT_EQ(Le(ico, at + 8, 4), uint32_t(2 * n)) << "colour and mask";
        // Bottom row first, BGRA: the centre is the orb, the top corner clear,
        // and the mask says so.
        const auto pixel = [&](int x, int y) { return at + 40 + (size_t(n - 1 - y) * size_t(n) + size_t(x)) * 4; };
        EXPECT_GT(ico[pixel(n / 2, n / 2) + 3], 250);
        EXPECT_EQ(ico[pixel(0, 0) + 3], 0);
        const size_t maskAt = at + 40 + size_t(n) * size_t(n) * 4,
                     topRow = maskAt + size_t(n - 1) * size_t((n + 31) / 32 * 4);
        EXPECT_EQ(ico[topRow] & 0x80, 0x80);
        EXPECT_EQ(ico[maskAt + size_t(n / 2) * size_t((n + 31) / 32 * 4) + size_t(n / 2 / 8)] & (0x80 >> (n / 2 % 8)),
                  0);
        end = at + bytes;
    }
    EXPECT_EQ(end, ico.size());
    EXPECT_TRUE(assetgen::EncodeIco({assetgen::Layer(300, 300)}).empty());
    EXPECT_TRUE(assetgen::EncodeIco({assetgen::Layer(16, 32)}).empty());
}

TEST(Art, BackdropsDifferAndStayDarkUnderTheBricks) {
    std::vector<double> meanLight;
    for (int i = 1; i <= 11; ++i) {
        const Image& art = generated::Art("LEVEL" + std::to_string(i) + ".GRA");
        double sum = 0;
        for (int y = 0; y < 583; ++y) {
            for (int x = 0; x < 645; ++x) {
                const Rgb8& p = art.At(x, y);
                sum += 0.3 * p.R + 0.59 * p.G + 0.11 * p.B;
            }
        }
        meanLight.push_back(sum / (583.0 * 645));
        EXPECT_LT(meanLight.back(), 90) << "LEVEL" << i;
    }
    for (int i = 1; i <= 11; ++i) {
        for (int j = i + 1; j <= 11; ++j) {
            const Image& a = generated::Art("LEVEL" + std::to_string(i) + ".GRA");
            const Image& b = generated::Art("LEVEL" + std::to_string(j) + ".GRA");
            long diff = 0;
            for (int y = 0; y < 583; y += 3) {
                for (int x = 0; x < 645; x += 3)
                    diff += std::abs(a.At(x, y).R - b.At(x, y).R) + std::abs(a.At(x, y).B - b.At(x, y).B);
            }
            EXPECT_GT(diff, 645L * 583 / 9 * 8) << i << " and " << j;
        }
    }
}

// --- The sounds --------------------------------------------------------------

TEST(Sounds, PeaksStayBelowMinusOneDecibelAndEndsAreQuiet) {
    const int limit = int(32767 * std::pow(10.0, -1.0 / 20));
    for (const auto& s : generated::Sounds()) {
        SCOPED_TRACE(s.Name);
        int peak = 0;
        for (int16_t v : s.Samples) peak = std::max(peak, std::abs(int(v)));
        EXPECT_LE(peak, limit);
        EXPECT_GT(peak, limit / 4) << "loud enough to hear";
        // No click: the first and last few samples start and end near zero.
        for (size_t i = 0; i < 8; ++i) {
            EXPECT_LT(std::abs(s.Samples[i]), 200);
            EXPECT_LT(std::abs(s.Samples[s.Samples.size() - 1 - i]), 200);
        }
    }
}

TEST(Sounds, LengthsSuitWhatTheGameWaitsFor) {
    struct Span {
        const char* Name;
        float Min, Max;
    } spans[] = {{"crash.voc", 0.7f, 1.5f},        {"fanfare.voc", 2, 3},
                 {"gameover.voc", 2.5f, 6.5f},     {"titles.voc", 20, 39},
                 {"ships1.voc", 10, 15},           {"warp2.voc", 2, 5},
                 {"lasers.voc", 0.1f, 1.4f},       {"expand.voc", 0.3f, 2},
                 {"shrink.voc", 0.3f, 3},          {"paddle_ping.voc", 0.1f, 1},
                 {"brick_high_ping.voc", 0.1f, 1}, {"bonus.voc", 0.3f, 2}};
    for (const Span& s : spans) {
        float len = Seconds(generated::SoundNamed(s.Name));
        EXPECT_GE(len, s.Min) << s.Name;
        EXPECT_LE(len, s.Max) << s.Name;
    }
}

// A tone heard again is computed once; each frame must still be the sum of
// every tone sounding there, in the order they were added, as if each were
// rendered alone. Repeats overlap one another and other tones, one is cut
// by the end of the mix, one starts before it; two noises differ only in
// their seed, which must keep them apart.
TEST(Sounds, MixingGivesEachFrameItsTonesInTheirOrder) {
    using assetgen::Tone;
    using assetgen::Wave;
    Tone lead;
    lead.Shape = Wave::Square;
    lead.Held = 0.05f;
    lead.Freq = 660;
    lead.EndFreq = 500;
    lead.Vibrato = 0.3f;
    lead.VibratoDelay = 0.01f;
    Tone pad = lead;
    pad.Shape = Wave::Sine;
    pad.Freq = 220;
    pad.EndFreq = 0;
    pad.EndPan = 0.8f;
    Tone hiss;
    hiss.Shape = Wave::Noise;
    hiss.Held = 0.03f;
    hiss.Cutoff = 5000;
    hiss.EndCutoff = 2000;
    Tone otherHiss = hiss;
    otherHiss.Seed = 2;
    std::vector<Tone> score;
    for (auto [tone, start] : std::vector<std::pair<Tone, float>>{{lead, 0},
                                                                  {pad, 0.02f},
                                                                  {lead, 0.04f},
                                                                  {hiss, 0.05f},
                                                                  {otherHiss, 0.06f},
                                                                  {hiss, 0.09f},
                                                                  {lead, -0.01f},
                                                                  {pad, 0.1f},
                                                                  {lead, 0.17f}}) {
        tone.Start = start;
        score.push_back(tone);
    }
    const float seconds = 0.2f;
    assetgen::Bus mixed(seconds);
    for (const Tone& t : score) assetgen::Render(mixed, t);
    assetgen::Mix(mixed);
    std::vector<float> left(mixed.Frames()), right(mixed.Frames());
    for (const Tone& t : score) {
        assetgen::Bus alone(seconds);
        assetgen::Render(alone, t);
        assetgen::Mix(alone);
        for (size_t i = 0; i < left.size(); ++i) {
            left[i] += alone.Left[i];
            right[i] += alone.Right[i];
        }
    }
    size_t differing = 0;
    for (size_t i = 0; i < left.size(); ++i) differing += left[i] != mixed.Left[i] || right[i] != mixed.Right[i];
    EXPECT_EQ(differing, 0u);
    // The last tone runs past the end and the early one starts before 0:
    // both were heard, and nothing is left to mix twice.
    EXPECT_NE(mixed.Left.back(), 0.f);
    EXPECT_TRUE(mixed.Score.empty());
}

TEST(Sounds, BrickPingsDifferClearlyInPitch) {
    auto crossings = [](const assetgen::Sound& s) {
        int n = 0;
        for (size_t i = 2; i < std::min<size_t>(s.Samples.size(), 2 * 4410); i += 2) {
            n += (s.Samples[i - 2] < 0) != (s.Samples[i] < 0);
        }
        return n;
    };
    EXPECT_GT(crossings(generated::SoundNamed("brick_high_ping.voc")),
              1.6 * crossings(generated::SoundNamed("brick_low_ping.voc")));
}
