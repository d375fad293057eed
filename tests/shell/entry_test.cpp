#include <gtest/gtest.h>

#include <vector>

#include "frontend/title_screen.h"
#include "platform/core.h"
#include "play/play_report.h"
#include "play/status_panel.h"
#include "shell/devices.h"
#include "shell/entry.h"
#include "support/asset_folder.h"

namespace {

namespace headless = plat::headless;

class EntryTest : public testing_support::AssetFolderTest {
protected:
    void SetUp() override {
        AssetFolderTest::SetUp();
        Lives = 0;
        TitleMusicPending = TitleZoomPending = 1;
    }
    void TearDown() override {
        Lives = 0;
        TitleMusicPending = TitleZoomPending = 1;
        AssetFolderTest::TearDown();
    }
    static constexpr uint64_t ZoomFlips = 207;
};

TEST_F(EntryTest, TheFirstPassRunsTheTitleScreen) {
    ASSERT_TRUE(SetupDevices());
    int code = -1;
    ASSERT_TRUE(FramePass(&code));
    EXPECT_EQ(TitleZoomPending, 0);
    EXPECT_EQ(plat::GetStats().Flips, ZoomFlips);
    EXPECT_EQ(Lives, 0);
}

TEST_F(EntryTest, EachPassTakesOneMessage) {
    ASSERT_TRUE(SetupDevices());
    TitleZoomPending = 0;
    for (int i = 0; i < 3; ++i) plat::PostMessage(plat::MsgPaint, 0, 0);
    int code = -1;
    ASSERT_TRUE(FramePass(&code));
    ASSERT_TRUE(FramePass(&code));
    plat::Message m;
    ASSERT_TRUE(plat::PeekMessage(&m));
    EXPECT_FALSE(plat::PeekMessage(&m));
}

TEST_F(EntryTest, EscapeOnTheTitleQuitsAndReleasesEverything) {
    headless::Schedule({0, plat::KeyEvent(plat::Key::Escape, true)});
    headless::Schedule({3600, plat::KeyEvent(plat::Key::Escape, false)});
    const ExitStatus status = GameMain();
    EXPECT_EQ(status.Code, 0);
    EXPECT_EQ(status.Message, "");
    EXPECT_FALSE(headless::Live().Display);
    EXPECT_FALSE(headless::Live().Mouse);
    EXPECT_EQ(headless::Live().Surfaces, 0u);
    EXPECT_EQ(plat::GetStats().Flips, ZoomFlips);
}

TEST_F(EntryTest, ThePassThatDispatchesDestroyStillRunsItsFrame) {
    ASSERT_TRUE(SetupDevices());
    headless::Schedule({0, plat::KeyEvent(plat::Key::Escape, true)});
    int code = -1;
    ASSERT_TRUE(FramePass(&code));  // zoom, then Escape posts the destroy message
    headless::Schedule({headless::NowMicros() / 1000, plat::KeyEvent(plat::Key::Escape, false)});
    const uint64_t before = headless::NowMicros();
    ASSERT_TRUE(FramePass(&code));  // takes destroy, and the title still waits its 10 ms
    EXPECT_EQ(headless::NowMicros(), before + 10000);
    EXPECT_FALSE(FramePass(&code));  // takes the quit message
    EXPECT_EQ(code, 0);
    EXPECT_EQ(headless::NowMicros(), before + 10000);  // no frame ran
}

// The pause reads only F1 and takes no messages, yet a close request from the
// system (the close box, SIGTERM) ends the program as promptly as in play.
TEST_F(EntryTest, AClosePutToAPausedGameEndsItAtOnce) {
    for (uint64_t at : {4000, 5500}) {  // start a game, cut the intro short
        headless::Schedule({at, plat::KeyEvent(plat::Key::Enter, true)});
        headless::Schedule({at + 150, plat::KeyEvent(plat::Key::Enter, false)});
    }
    headless::Schedule({20000, plat::KeyEvent(plat::Key::F1, true)});
    headless::Schedule({20100, plat::KeyEvent(plat::Key::F1, false)});
    headless::Schedule({25000, plat::CloseEvent()});
    // Without a prompt end the pause would last until this tap.
    headless::Schedule({90000, plat::KeyEvent(plat::Key::F1, true)});
    headless::Schedule({90100, plat::KeyEvent(plat::Key::F1, false)});
    static uint64_t pausedSteps = 0;
    pausedSteps = 0;
    PlayFrameObserver = [](int32_t) { pausedSteps += LastPlayFrame.F1 ? 1 : 0; };
    const ExitStatus status = GameMain();
    PlayFrameObserver = nullptr;
    EXPECT_EQ(status.Code, 0);
    EXPECT_EQ(pausedSteps, 1u);  // the pause, and no new one on the way out
    EXPECT_LT(headless::NowMicros(), 25100000u);
    EXPECT_EQ(headless::Live().Surfaces, 0u);
}

// A whole game with a pad alone: south starts it and cuts the intro short,
// the stick steers, north does nothing in play, Start pauses, north in the
// pause gives up, and Back on the title leaves.
TEST_F(EntryTest, APadAlonePlaysAGameAndGivesUpOnlyFromThePause) {
    using plat::core::PadBit;
    using plat::core::PadButton;
    struct At {
        uint64_t Ms;
        plat::core::PadReading Reading;
    };
    static std::vector<At> script;
    static size_t next = 0;
    const auto press = [](PadButton b) { return plat::core::PadReading{0, 0, 0, 0, PadBit(b)}; };
    script = {{4000, press(PadButton::South)},  {4150, {}},  {5500, press(PadButton::South)},  {5650, {}},
              {12000, {1.0f, 0, 0, 0, 0}},      {12500, {}}, {15000, press(PadButton::North)}, {15100, {}},
              {20000, press(PadButton::Start)}, {20100, {}}, {21000, press(PadButton::North)}, {21100, {}},
              {40000, press(PadButton::Back)},  {40200, {}}};
    next = 0;
    headless::SetClockObserver([](uint64_t micros) {
        for (; next < script.size() && script[next].Ms * 1000 <= micros; ++next)
            plat::core::PadRead(0, script[next].Reading);
    });
    struct Seen {
        int64_t Moved = 0;
        int Pauses = 0, GaveUp = 0;
        uint64_t GaveUpAt = 0;
    };
    static Seen seen;
    seen = Seen{};
    PlayFrameObserver = [](int32_t) {
        seen.Moved += LastPlayFrame.MouseX;
        seen.Pauses += LastPlayFrame.F1;
        if (LastPlayFrame.F5 && seen.GaveUp++ == 0) seen.GaveUpAt = headless::NowMicros();
    };
    const ExitStatus status = GameMain();
    PlayFrameObserver = nullptr;
    EXPECT_EQ(status.Code, 0);
    EXPECT_EQ(next, script.size());
    EXPECT_NEAR(seen.Moved, 600, 2);  // half a second at full tilt
    EXPECT_EQ(seen.Pauses, 1);
    EXPECT_EQ(seen.GaveUp, 1);
    EXPECT_GT(seen.GaveUpAt, 21000000u);  // from the pause, not at the press in play
    EXPECT_LT(seen.GaveUpAt, 21300000u);
    EXPECT_GT(headless::NowMicros(), 40000000u);  // Back on the title, not before, ended it
}

TEST_F(EntryTest, FailedSetupEndsTheProgramWithOneLineAndStatusOne) {
    headless::FailStep(headless::Step::MouseAcquire);
    const ExitStatus status = GameMain();
    EXPECT_EQ(status.Code, 1);
    EXPECT_EQ(status.Message.rfind("acquiring the mouse: MouseAcquire failed", 0), 0u) << status.Message;
    EXPECT_EQ(std::count(status.Message.begin(), status.Message.end(), '\n'), 0);
    testing::internal::CaptureStderr();
    plat::ReportFatalError(status.Message);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "qorb: " + status.Message + "\n");
    EXPECT_FALSE(headless::Live().Display);
    EXPECT_FALSE(headless::Live().Sound);
    EXPECT_EQ(plat::GetStats().Flips, 0u);
}

TEST_F(EntryTest, NoWindowNoGameAndOneLineSaysWhy) {
    headless::FailStep(headless::Step::Window);
    const ExitStatus status = GameMain();
    EXPECT_EQ(status.Code, 1);
    EXPECT_EQ(status.Message.rfind("creating the window: CreateMainWindow failed", 0), 0u) << status.Message;
    EXPECT_FALSE(headless::Live().Display);
}

}  // namespace
