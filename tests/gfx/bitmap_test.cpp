#include <gtest/gtest.h>

#include "gfx/bitmap.h"
#include "gfx/pixel_packing.h"
#include "platform/file_open.h"
#include "shell/devices.h"
#include "support/bitmap_files.h"
#include "support/game_display.h"

namespace {

using testing_support::MakeBmp16;
using testing_support::MakeBmp24;
using testing_support::MakeBmp8;
using testing_support::Put16;
using testing_support::Put32;
using testing_support::Rgb;

class BitmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testing_support::ScratchDir();
        DisplayPixelFormat.RgbBitCount = 16;
        GamePacking = Packing::Rgb565;
    }
    void TearDown() override {
        FreeBmp(image);
        DisplayPixelFormat = plat::PixelFormat{};
        GamePacking = Packing::Rgb565;
    }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const auto path = dir / name;
        testing_support::WriteFile(path, bytes);
        return path.string();
    }
    uint16_t WordAt(size_t i) const {
        return static_cast<uint16_t>(image.Pixels[2 * i] | image.Pixels[2 * i + 1] << 8);
    }

    // A 4 x 3 picture: red along the top row, blue along the bottom, white elsewhere.
    static Rgb Sample(int, int y) { return y == 0 ? Rgb{255, 0, 0} : y == 2 ? Rgb{0, 0, 255} : Rgb{255, 255, 255}; }

    std::filesystem::path dir;
    BmpImage image;
};

TEST_F(BitmapTest, TwentyFourBitFileIsPackedTopRowFirst) {
    ASSERT_TRUE(LoadBmp(image, Write("a.bmp", MakeBmp24(4, 3, Sample)).c_str()));
    ASSERT_EQ(image.PixelBytes, 4u * 3 * 2);
    EXPECT_EQ(WordAt(0), 0xF800);
    EXPECT_EQ(WordAt(4), 0xFFDF);
    EXPECT_EQ(WordAt(8), 0x001F);
    EXPECT_EQ(image.InfoHeader.BitCount, 16);  // replaced by the display's
    EXPECT_EQ(image.InfoHeader.Width, 4);
}

TEST_F(BitmapTest, PackingFollowsTheExecutableAndTheDisplay) {
    const std::string file = Write("w.bmp", MakeBmp24(4, 1, [](int, int) { return Rgb{255, 255, 255}; }));
    GamePacking = Packing::Rgb555;
    ASSERT_TRUE(LoadBmp(image, file.c_str()));
    EXPECT_EQ(WordAt(0), 0x7FFF);
    GamePacking = Packing::Rgb565;
    DisplayPixelFormat.RgbBitCount = 15;
    ASSERT_TRUE(LoadBmp(image, file.c_str()));
    EXPECT_EQ(WordAt(0), 0x7FFF);
    EXPECT_EQ(image.InfoHeader.BitCount, 15);
}

TEST_F(BitmapTest, PixelDataIsFoundFromTheEndOfTheFile) {
    // Extra bytes before the pixels (a larger offset) do not matter...
    auto gap = MakeBmp24(4, 3, Sample);
    gap.insert(gap.begin() + 54, 12, 0xEE);
    Put32(gap, testing_support::OffBitsAt, 66);
    ASSERT_TRUE(LoadBmp(image, Write("gap.bmp", gap).c_str()));
    EXPECT_EQ(WordAt(0), 0xF800);
    EXPECT_EQ(WordAt(8), 0x001F);
    // ...but bytes after them shift the picture, as designed.
    auto tail = MakeBmp24(4, 3, Sample);
    tail.insert(tail.end(), {0, 0, 0});
    ASSERT_TRUE(LoadBmp(image, Write("tail.bmp", tail).c_str()));
    // Every pixel comes from one further on; the trailing black ends the top row.
    EXPECT_EQ(WordAt(3), 0x0000);
    EXPECT_EQ(WordAt(7), 0xF800);
}

TEST_F(BitmapTest, SixteenBitWordsAreUsedAsStored) {
    ASSERT_TRUE(LoadBmp(
        image, Write("w.bmp", MakeBmp16(2, 2, [](int x, int y) { return uint16_t(0x1000 * y + x + 1); })).c_str()));
    EXPECT_EQ(WordAt(0), 0x0001);
    EXPECT_EQ(WordAt(1), 0x0002);
    EXPECT_EQ(WordAt(2), 0x1001);
    EXPECT_EQ(image.InfoHeader.BitCount, 16);
}

TEST_F(BitmapTest, EightBitFileKeepsBytesAndConvertsItsPalette) {
    ASSERT_TRUE(
        LoadBmp(image, Write("p.bmp", MakeBmp8(4, 2, [](int x, int y) { return uint8_t(10 * y + x); })).c_str()));
    ASSERT_EQ(image.PixelBytes, 8u);
    EXPECT_EQ(image.Pixels[0], 0);
    EXPECT_EQ(image.Pixels[4], 10);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(image.Palette[i].Red, 7);
        ASSERT_EQ(image.Palette[i].Green, 255 - i);
        ASSERT_EQ(image.Palette[i].Blue, i);
        ASSERT_EQ(image.Palette[i].Flags, PaletteNoCollapse);
    }
}

TEST_F(BitmapTest, BrokenFilesAreRefusedAndLeaveTheImageAsItWas) {
    ASSERT_TRUE(LoadBmp(image, Write("good.bmp", MakeBmp24(4, 3, Sample)).c_str()));
    const uint8_t* before = image.Pixels.get();
    const auto good = MakeBmp24(4, 3, Sample);
    auto with = [&](auto change) {
        auto b = good;
        change(b);
        return b;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"not BM", with([](auto& b) { b[0] = 'X'; }), "signature"},
        {"size image 0", with([](auto& b) { Put32(b, testing_support::SizeImageAt, 0); }), "is 0"},
        {"size image too small", with([](auto& b) { Put32(b, testing_support::SizeImageAt, 35); }), "smaller"},
        {"size image past the file", with([](auto& b) {
             Put32(b, testing_support::SizeImageAt, 37);
             b.resize(54 + 36);
         }),
         "larger"},
        {"size image huge", with([](auto& b) { Put32(b, testing_support::SizeImageAt, 0xFFFFFFFF); }), "larger"},
        {"width 0", with([](auto& b) { Put32(b, testing_support::WidthAt, 0); }), "above 0"},
        {"top-down", with([](auto& b) { Put32(b, testing_support::HeightAt, static_cast<uint32_t>(-3)); }), "above 0"},
        {"compressed", with([](auto& b) { Put32(b, testing_support::CompressionAt, 1); }), "compressed"},
        {"padded rows", with([](auto& b) {
             Put32(b, testing_support::WidthAt, 3);
             Put32(b, testing_support::HeightAt, 4);
         }),
         "padding"},
        {"huge size", with([](auto& b) {
             Put32(b, testing_support::WidthAt, 0x40000000);
             Put32(b, testing_support::HeightAt, 0x40000000);
         }),
         "smaller"},
        {"short info header", with([](auto& b) { Put32(b, testing_support::InfoSizeAt, 12); }), "shorter"},
        {"truncated header", with([](auto& b) { b.resize(30); }), "too short"},
        {"only a file header", with([](auto& b) { b.resize(14); }), "too short"},
        {"empty", {}, "too short"},
        {"8-bit without colour table", with([](auto& b) {
             Put16(b, testing_support::BitCountAt, 8);
             b.resize(54 + 100);
             Put32(b, testing_support::SizeImageAt, 12);
         }),
         "colour table"},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_FALSE(LoadBmp(image, Write("bad.bmp", c.bytes).c_str(), &why)) << c.name;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": " << why;
        EXPECT_NE(why.find("bad.bmp"), std::string::npos) << c.name;
        EXPECT_EQ(image.Pixels.get(), before) << c.name;
    }
    std::string why;
    EXPECT_FALSE(LoadBmp(image, (dir / "missing.bmp").string().c_str(), &why));
    EXPECT_NE(why.find("cannot be opened"), std::string::npos);
    EXPECT_EQ(image.InfoHeader.Width, 4);
}

TEST_F(BitmapTest, FreeAndFlipRows) {
    ASSERT_TRUE(LoadBmp(image, Write("a.bmp", MakeBmp24(4, 3, Sample)).c_str()));
    EXPECT_TRUE(FreeBmp(image));
    EXPECT_EQ(image.Pixels, nullptr);
    EXPECT_TRUE(FreeBmp(image));  // twice is harmless

    uint8_t rows[] = {1, 1, 2, 2, 3, 3};
    EXPECT_TRUE(FlipRows(rows, 2, 3));
    EXPECT_EQ(std::vector<uint8_t>(rows, rows + 6), (std::vector<uint8_t>{3, 3, 2, 2, 1, 1}));
}

// The browser makes each file set-up reads as set-up comes to it: the hook
// runs, with the very path, before the file is opened, so what it writes is
// what is read; a file it does not make still fails as missing.
std::vector<std::string> opened;
std::vector<uint8_t> madeOnOpen;
void MakeOnOpen(const char* path) {
    opened.push_back(path);
    if (!madeOnOpen.empty()) testing_support::WriteFile(path, madeOnOpen);
}

TEST_F(BitmapTest, AFileMadeAsItIsOpenedIsRead) {
    opened.clear();
    madeOnOpen = MakeBmp24(4, 3, Sample);
    plat::BeforeOpen = MakeOnOpen;
    const std::string path = (dir / "late.bmp").string();
    const bool loaded = LoadBmp(image, path.c_str());
    madeOnOpen.clear();
    std::string why;
    const bool missing = LoadBmp(image, (dir / "never.bmp").string().c_str(), &why);
    plat::BeforeOpen = nullptr;
    ASSERT_TRUE(loaded);
    EXPECT_EQ(WordAt(0), 0xF800);
    EXPECT_FALSE(missing);
    EXPECT_NE(why.find("cannot be opened"), std::string::npos);
    EXPECT_EQ(opened, (std::vector<std::string>{path, (dir / "never.bmp").string()}));
}

class UploadTest : public testing_support::GameDisplayTest {
protected:
    void TearDown() override {
        FreeBmp(image);
        GameDisplayTest::TearDown();
    }
    BmpImage image;
};

TEST_F(UploadTest, CopiesSixHundredRowsIntoTheSurface) {
    const auto dir = testing_support::ScratchDir();
    const auto path = (dir / "ships.bmp").string();
    testing_support::WriteFile(path, MakeBmp24(1424, 600, [](int x, int y) {
                                   return Rgb{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 200};
                               }));
    ASSERT_TRUE(LoadBmp(image, path.c_str()));
    ASSERT_TRUE(UploadImage(image, ShipsSurface, 2848));
    EXPECT_EQ(At(ShipsSurface, 0, 0), PackPixel(0, 0, 200, 16, Packing::Rgb565));
    EXPECT_EQ(At(ShipsSurface, 1423, 599), PackPixel(1423 % 256, 599 % 256, 200, 16, Packing::Rgb565));
    EXPECT_FALSE(ShipsSurface->Locked);
    // 2848-byte rows do not fit an 800-pixel surface.
    Paint(ElementsSurface, 0x5555);
    EXPECT_FALSE(UploadImage(image, ElementsSurface, 2848));
    EXPECT_TRUE(AllOf(ElementsSurface, plat::RectAt(0, 0, 800, 600), 0x5555));
}

TEST_F(UploadTest, AnImageTooSmallCopiesNothing) {
    const auto path = (testing_support::ScratchDir() / "small.bmp").string();
    testing_support::WriteFile(path, MakeBmp24(800, 599, [](int, int) { return Rgb{255, 255, 255}; }));
    ASSERT_TRUE(LoadBmp(image, path.c_str()));
    Paint(ElementsSurface, 0x5555);
    EXPECT_FALSE(UploadImage(image, ElementsSurface, 1600));
    EXPECT_FALSE(UploadImage(BmpImage{}, ElementsSurface, 1600));
    EXPECT_TRUE(AllOf(ElementsSurface, plat::RectAt(0, 0, 800, 600), 0x5555));
    testing_support::WriteFile(path, MakeBmp24(400, 600, [](int, int) { return Rgb{255, 255, 255}; }));
    ASSERT_TRUE(LoadBmp(image, path.c_str()));
    EXPECT_FALSE(UploadImage(image, ElementsSurface, 1600));
    EXPECT_TRUE(UploadImage(image, ElementsSurface, 800));
}

}  // namespace
