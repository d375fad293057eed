#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/title_screen.h"
#include "play/status_panel.h"
#include "shell/devices.h"
#include "sound/voice.h"
#include "support/asset_folder.h"

namespace {

namespace headless = plat::headless;
using testing_support::TitlePixel;

class TitleScreenTest : public testing_support::AssetFolderTest {
protected:
    void SetUp() override {
        AssetFolderTest::SetUp();
        Lives = 0;
        TitleMusicPending = TitleZoomPending = 1;
        ASSERT_TRUE(SetupDevices()) << SetupFailure;
    }
    void TearDown() override {
        Lives = 0;
        TitleMusicPending = TitleZoomPending = 1;
        AssetFolderTest::TearDown();
    }
    static bool Playing(const Voice& v) { return plat::SoundStatus(v.Buffer) == plat::SoundStatusPlaying; }
    static bool SameWords(const plat::Surface* a, const plat::Surface* b) {
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                if (At(a, x, y) != At(b, x, y)) return false;
        return true;
    }
};

TEST_F(TitleScreenTest, ZoomGrowsFromTheTopLeftCornerToOneToOne) {
    std::vector<uint64_t> checked;
    headless::SetFlipObserver([&](uint64_t flip) {
        const plat::Surface* screen = headless::Primary();
        if (flip == 1) {
            // 201 x 1 pixels of the picture's first row over the whole screen.
            for (int y : {0, 300, 599}) {
                EXPECT_EQ(At(screen, 0, y), Packed(TitlePixel(0, 0)));
                EXPECT_EQ(At(screen, 799, y), Packed(TitlePixel(200, 0)));
                EXPECT_EQ(At(screen, 400, y), Packed(TitlePixel(100, 0)));
            }
            checked.push_back(flip);
        }
        if (flip == 200) {  // s = 598: 798 x 598 stretched a little
            EXPECT_EQ(At(screen, 799, 599), Packed(TitlePixel(797, 597)));
            checked.push_back(flip);
        }
    });
    TitleScreen();
    EXPECT_EQ(checked.size(), 2u);
    EXPECT_EQ(plat::GetStats().Flips, 207u);
    // The last steps stand at 1:1, so both pages hold the picture.
    EXPECT_TRUE(SameWords(PrimarySurface, TitlesSurface));
    EXPECT_TRUE(SameWords(BackBuffer, TitlesSurface));
}

TEST_F(TitleScreenTest, MusicAndZoomRunBeforeAnyKeyIsRead) {
    headless::Schedule({0, plat::KeyEvent(plat::Key::Escape, true)});
    TitleScreen();
    EXPECT_TRUE(Playing(VoiceTitles));
    EXPECT_EQ(plat::GetStats().Flips, 207u);
    plat::Message m;
    ASSERT_TRUE(plat::PeekMessage(&m));
    EXPECT_EQ(m.Id, plat::MsgDestroy);
    EXPECT_EQ(Lives, 0);
}

TEST_F(TitleScreenTest, EnterHeldThroughTheZoomStartsTheGameInTheSamePass) {
    headless::Schedule({0, plat::KeyEvent(plat::Key::Enter, true)});
    headless::Schedule({0, plat::KeyEvent(plat::Key::Escape, true)});
    headless::Schedule({4000, plat::KeyEvent(plat::Key::Enter, false)});  // the intro waits for the release
    static std::vector<std::string> asked;
    asked.clear();
    VoiceObserver = [](VoiceOp op, const Voice& v) {
        asked.push_back(std::string(VoiceOpName(op)) + " " + VoiceName(v));
    };
    TitleScreen();
    VoiceObserver = nullptr;
    ASSERT_GE(asked.size(), 2u);
    EXPECT_EQ(asked[0], "stop VoiceTitles");  // the title music ends as the intro begins
    EXPECT_EQ(asked[1], "start VoiceShips");
    EXPECT_EQ(Lives, 3);
    EXPECT_FALSE(Playing(VoiceTitles));
    EXPECT_FALSE(Playing(VoiceShips));
    plat::Message m;  // Escape with Enter: the game starts, and the quit follows
    ASSERT_TRUE(plat::PeekMessage(&m));
    EXPECT_EQ(m.Id, plat::MsgDestroy);
}

TEST_F(TitleScreenTest, AQuietPassOnlyWaitsAndTheMusicIsNotRepeated) {
    TitleScreen();
    const plat::Stats before = plat::GetStats();
    const uint64_t t = headless::NowMicros();
    headless::AdvanceMs(5000);  // the 5 s title music has ended
    ASSERT_FALSE(Playing(VoiceTitles));
    TitleScreen();
    EXPECT_EQ(headless::NowMicros(), t + 5000000 + 10000);
    EXPECT_EQ(plat::GetStats().Flips, before.Flips);
    EXPECT_EQ(plat::GetStats().Blits, before.Blits);
    EXPECT_FALSE(Playing(VoiceTitles));
}

TEST_F(TitleScreenTest, TheMusicStartsFromTheTopEvenAfterAStop) {
    plat::SoundSetPosition(VoiceTitles.Buffer, 40000);
    TitleScreen();
    // Started before the first wait, from the top, not from 40000.
    EXPECT_TRUE(Playing(VoiceTitles));
    EXPECT_EQ(plat::SoundGetPosition(VoiceTitles.Buffer), headless::NowMicros() * 44100 / 1000000 * 4);
    TitleMusicPending = 1;
    TitleZoomPending = 0;
    StopVoice(VoiceTitles);
    plat::SoundSetPosition(VoiceTitles.Buffer, 40000);
    TitleScreen();
    EXPECT_TRUE(Playing(VoiceTitles));
    EXPECT_EQ(plat::SoundGetPosition(VoiceTitles.Buffer), 441u * 4);  // 10 ms in
}

}  // namespace
