// The generated files read back through the game's own loaders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "asset_files.h"
#include "gfx/bitmap.h"
#include "gfx/pixel_packing.h"
#include "platform/platform.h"
#include "shell/devices.h"
#include "sound/voice.h"

namespace {

class LoadedAssets : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::filesystem::temp_directory_path() / ("assetgen_loader_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        for (const auto& [name, bytes] : assetgen::EncodeAll(generated::Pictures(), generated::Sounds())) {
            std::ofstream out(dir_ / name, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        }
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }
    static std::string PathOf(const std::string& name) { return (dir_ / name).string(); }

    static std::filesystem::path dir_;
};

std::filesystem::path LoadedAssets::dir_;

TEST_F(LoadedAssets, EveryPictureLoadsWithKeyExactlyWhereTheArtIsBlack) {
    const Packing saved = GamePacking;
    DisplayPixelFormat.RgbBitCount = 16;
    for (Packing packing : {Packing::Rgb565, Packing::Rgb555}) {
        GamePacking = packing;
        for (const auto& picture : generated::Pictures()) {
            SCOPED_TRACE(picture.Name);
            BmpImage image;
            std::string why;
            ASSERT_TRUE(LoadBmp(image, PathOf(picture.Name).c_str(), &why)) << why;
            const assetgen::Image& art = picture.Art;
            EXPECT_EQ(image.InfoHeader.Width, art.Width);
            EXPECT_EQ(image.InfoHeader.Height, 600);
            ASSERT_EQ(image.PixelBytes, size_t(art.Width) * 600 * 2);
            const auto* words = reinterpret_cast<const uint16_t*>(image.Pixels.get());
            int wrong = 0;
            for (int y = 0; y < 600; ++y) {
                for (int x = 0; x < art.Width; ++x) {
                    const assetgen::Rgb8& p = art.At(x, y);
                    uint16_t expected = PackPixel(p.R, p.G, p.B, 16, packing);
                    uint16_t word = words[size_t(y) * art.Width + x];
                    wrong += word != expected || ((word == 0) != (p == assetgen::Rgb8{}));
                }
            }
            EXPECT_EQ(wrong, 0);
            FreeBmp(image);
        }
    }
    GamePacking = saved;
}

TEST_F(LoadedAssets, EveryVoiceLoadsWithinItsBudget) {
    ASSERT_TRUE(plat::SoundCreate());
    for (const VoiceFile& entry : VoiceInventory) {
        Voice voice;
        std::string why;
        EXPECT_TRUE(LoadVoice(PathOf(entry.FileName).c_str(), voice, entry.ByteBudget, &why))
            << entry.FileName << ": " << why;
        EXPECT_NE(voice.Buffer, nullptr) << entry.FileName;
    }
    plat::SoundRelease();
}

}  // namespace
