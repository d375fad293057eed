#include <gtest/gtest.h>

#include "frontend/title_screen.h"
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
