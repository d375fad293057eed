#include <gtest/gtest.h>

#include "gfx/assets.h"
#include "gfx/bitmap.h"
#include "shell/devices.h"
#include "sound/voice.h"
#include "support/asset_folder.h"

namespace {

namespace headless = plat::headless;
using testing_support::AssetFolderTest;
using testing_support::FlatPixel;

bool NothingLive() {
    const headless::Devices live = headless::Live();
    return !live.Display && !live.Sound && !live.Input && !live.Mouse && live.Surfaces == 0 && live.SoundBuffers == 0;
}

using DevicesTest = AssetFolderTest;

TEST_F(DevicesTest, SetupOpensEverythingAndUploadsTheArt) {
    ASSERT_TRUE(SetupDevices()) << SetupFailure;
    EXPECT_EQ(SetupFailure, "");
    EXPECT_EQ(DisplayPixelFormat.RgbBitCount, 16u);
    plat::Surface* all[] = {PrimarySurface,  BackBuffer,   ElementsSurface, BElementsSurface, BackdropSurface,
                            RoundArtSurface, ShipsSurface, TitlesSurface,   CloudsSurface};
    for (plat::Surface* s : all) ASSERT_NE(s, nullptr);
    EXPECT_EQ(ShipsSurface->Width, 1424);
    EXPECT_EQ(ElementsSurface->Width, 800);
    // Ships arrive with 2848-byte rows: its last column is filled too.
    EXPECT_EQ(At(ShipsSurface, 1423, 599), Packed(FlatPixel(3)));
    EXPECT_EQ(At(ElementsSurface, 799, 599), Packed(FlatPixel(0)));
    EXPECT_EQ(At(CloudsSurface, 0, 0), Packed(FlatPixel(2)));
    EXPECT_EQ(At(TitlesSurface, 37, 5), Packed(testing_support::TitlePixel(37, 5)));
    EXPECT_EQ(AssetImage.Pixels, nullptr);  // every load is freed after its upload
    for (const VoiceFile& v : VoiceInventory) EXPECT_NE(v.Target->Buffer, nullptr) << v.FileName;
    EXPECT_TRUE(headless::Live().MouseAcquired);
    EXPECT_EQ(headless::Live().Surfaces, 9u);

    ShutdownDevices();
    EXPECT_TRUE(NothingLive());
    EXPECT_EQ(PrimarySurface, nullptr);
    EXPECT_EQ(VoiceTitles.Buffer, nullptr);
}

TEST_F(DevicesTest, AFailingDisplayModeOpensNothingElse) {
    headless::FailStep(headless::Step::DisplayMode);
    EXPECT_FALSE(SetupDevices());
    EXPECT_NE(SetupFailure.find("800 x 600 x 16"), std::string::npos) << SetupFailure;
    EXPECT_NE(SetupFailure.find("DisplaySetMode failed"), std::string::npos) << SetupFailure;
    const headless::Devices live = headless::Live();
    EXPECT_EQ(live.Surfaces, 0u);
    EXPECT_FALSE(live.Sound);
    EXPECT_FALSE(live.Input);
    ShutdownDevices();
    EXPECT_TRUE(NothingLive());
}

// Each required step stops set-up where it fails; shutdown then releases
// exactly what was made.
TEST_F(DevicesTest, EveryRequiredStepStopsSetupAndShutdownCleansUp) {
    const headless::Step steps[] = {headless::Step::DisplayCreate,         headless::Step::DisplayCooperativeLevel,
                                    headless::Step::PrimarySurface,        headless::Step::OffscreenSurface,
                                    headless::Step::InputCreate,           headless::Step::MouseCreate,
                                    headless::Step::MouseCooperativeLevel, headless::Step::MouseDataFormat,
                                    headless::Step::MouseAcquire};
    for (headless::Step step : steps) {
        headless::Reset();
        headless::FailStep(step);
        EXPECT_FALSE(SetupDevices()) << static_cast<int>(step);
        EXPECT_NE(SetupFailure.find("made to fail"), std::string::npos) << SetupFailure;
        const bool inputStep = step >= headless::Step::InputCreate;
        EXPECT_EQ(headless::Live().Sound, inputStep) << static_cast<int>(step);
        ShutdownDevices();
        EXPECT_TRUE(NothingLive()) << static_cast<int>(step);
    }
    // The back buffer and pixel format steps are not required.
    headless::Reset();
    headless::FailStep(headless::Step::PixelFormat);
    EXPECT_TRUE(SetupDevices());
}

TEST_F(DevicesTest, MissingArtStopsSetupNamingTheFoldersSearched) {
    std::filesystem::remove(folder / "ELEMENTS.DAT");
    EXPECT_FALSE(SetupDevices());
    EXPECT_NE(SetupFailure.find("ELEMENTS.DAT"), std::string::npos) << SetupFailure;
    EXPECT_NE(SetupFailure.find(folder.string()), std::string::npos) << SetupFailure;
    EXPECT_FALSE(headless::Live().Sound);
}

// The same picture claiming `bits` per pixel, with as many bytes as that needs.
std::vector<uint8_t> Deeper(std::vector<uint8_t> bytes, uint16_t bits) {
    const uint32_t data = 800 * 600 * bits / 8;
    bytes.resize(54 + data, 0x40);
    testing_support::Put16(bytes, testing_support::BitCountAt, bits);
    testing_support::Put32(bytes, testing_support::SizeImageAt, data);
    return bytes;
}

TEST_F(DevicesTest, BrokenPicturesStopSetupNamingTheFile) {
    struct Case {
        const char* file;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"CLOUDS.DAT", testing_support::MakeBmp24(800, 599, [](int, int) { return FlatPixel(1); }), "800 x 599"},
        {"SHIPS1.DAT", testing_support::MakeBmp24(800, 600, [](int, int) { return FlatPixel(1); }), "1424 x 600"},
        {"LEVEL7.GRA", testing_support::MakeBmp8(800, 600, [](int, int) { return uint8_t(3); }), "8 bits"},
        {"ELEMENTS.DAT", Deeper(testing_support::MakeBmp24(800, 600, [](int, int) { return FlatPixel(0); }), 32),
         "32 bits"},
        {"LEVEL2.GRA", Deeper(testing_support::MakeBmp24(800, 600, [](int, int) { return FlatPixel(5); }), 48),
         "48 bits"},
        {"LEVEL11.GRA", {'B', 'M', 0}, "too short"},
    };
    for (const Case& c : cases) {
        headless::Reset();
        const auto good = folder / (std::string(c.file) + ".good");
        std::filesystem::copy_file(folder / c.file, good, std::filesystem::copy_options::overwrite_existing);
        testing_support::WriteFile(folder / c.file, c.bytes);
        EXPECT_FALSE(SetupDevices()) << c.file;
        EXPECT_NE(SetupFailure.find(c.file), std::string::npos) << SetupFailure;
        EXPECT_NE(SetupFailure.find(c.reason), std::string::npos) << SetupFailure;
        EXPECT_EQ(AssetImage.Pixels, nullptr);
        ShutdownDevices();
        std::filesystem::rename(good, folder / c.file);
    }
}

// The browser makes the round pictures behind the title: set-up then goes on
// without them.
TEST_F(DevicesTest, SetupChecksTheRoundPicturesUnlessTheyComeLater) {
    std::filesystem::remove(folder / "LEVEL9.GRA");
    EXPECT_FALSE(SetupDevices());
    EXPECT_NE(SetupFailure.find("checking the round pictures"), std::string::npos) << SetupFailure;
    ShutdownDevices();
    headless::Reset();
    struct Restore {
        ~Restore() { RoundPicturesAtSetup = true; }
    } restore;
    RoundPicturesAtSetup = false;
    EXPECT_TRUE(SetupDevices()) << SetupFailure;
}

TEST_F(DevicesTest, WithoutASoundDeviceTheGameRunsSilentButInTime) {
    headless::FailStep(headless::Step::SoundPrimaryBuffer);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(SetupDevices());
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find("warning: creating the primary sound buffer failed"), std::string::npos) << warnings;
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1);
    EXPECT_TRUE(headless::Live().SoundSilent);
    EXPECT_TRUE(headless::Live().Mouse);
    // The fanfare still lasts its 50 ms.
    const uint64_t start = headless::NowMicros();
    StartVoice(VoiceFanfare);
    WaitVoice(VoiceFanfare);
    EXPECT_EQ(headless::NowMicros() - start, 50000u);
}

TEST_F(DevicesTest, AMissingVoiceFileOnlyWarns) {
    std::filesystem::remove(folder / "lasers.voc");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(SetupDevices());
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 2);  // one per laser voice
    EXPECT_NE(warnings.find("lasers.voc"), std::string::npos) << warnings;
    EXPECT_EQ(VoiceLaserA.Buffer, nullptr);
    EXPECT_NE(VoiceBonus.Buffer, nullptr);
    PlayVoice(VoiceLaserA);  // harmless
}

TEST_F(DevicesTest, ArtIsFoundBesideTheExecutableWhenTheWorkingDirectoryLacksIt) {
    std::filesystem::current_path(previous);
    std::string searched;
    // The test program's own folder has no "assets" with art in it.
    EXPECT_FALSE(FindAssetFolder(&searched));
    EXPECT_NE(searched.find("assets"), std::string::npos) << searched;
    std::filesystem::current_path(folder);
    EXPECT_TRUE(FindAssetFolder(&searched));
    EXPECT_EQ(AssetFolder, "");
    EXPECT_EQ(AssetPath("X.DAT"), "X.DAT");
}

}  // namespace
