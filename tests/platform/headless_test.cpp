#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "support/scratch_dir.h"

namespace {

namespace headless = plat::headless;

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override { headless::Reset(); }
    void TearDown() override { headless::Reset(); }

    void OpenDisplay() {
        ASSERT_TRUE(plat::DisplayCreate());
        ASSERT_TRUE(plat::DisplaySetCooperativeLevel());
        ASSERT_TRUE(plat::DisplaySetMode(800, 600, 16));
        ASSERT_TRUE(plat::DisplayCreatePrimary(&primary));
        ASSERT_TRUE(plat::DisplayGetBackBuffer(&back));
    }
    void OpenMouse() {
        ASSERT_TRUE(plat::InputCreate());
        ASSERT_TRUE(plat::MouseCreate());
        ASSERT_TRUE(plat::MouseAcquire());
    }

    plat::Surface* primary = nullptr;
    plat::Surface* back = nullptr;
};

TEST_F(HeadlessTest, IdleAndFlipsMoveTheVirtualClock) {
    OpenDisplay();
    EXPECT_EQ(plat::Ticks(), 0u);
    plat::Idle();
    EXPECT_EQ(headless::NowMicros(), 1000u);
    // A flip waits for the next 1/60 s boundary of the emulated display.
    ASSERT_TRUE(plat::Flip());
    EXPECT_EQ(headless::NowMicros(), 16667u);
    ASSERT_TRUE(plat::Flip());
    EXPECT_EQ(headless::NowMicros(), 33334u);
    headless::AdvanceMicros(50000 - 33334);  // exactly on a boundary: the next one is taken
    ASSERT_TRUE(plat::Flip());
    EXPECT_EQ(headless::NowMicros(), 66667u);
    EXPECT_EQ(plat::GetStats().Flips, 3u);
}

TEST_F(HeadlessTest, FlipExchangesThePicturesButNotTheSurfaces) {
    OpenDisplay();
    primary->Words[0] = 1;
    back->Words[0] = 2;
    ASSERT_TRUE(plat::Flip());
    EXPECT_EQ(headless::Primary(), primary);
    EXPECT_EQ(primary->Words[0], 2);
    EXPECT_EQ(back->Words[0], 1);
    EXPECT_TRUE(primary->IsPrimary);
    EXPECT_FALSE(back->IsPrimary);
}

TEST_F(HeadlessTest, TicksWrapAndTheCalendarClockFollowsVirtualTime) {
    headless::Reset(headless::Config{.StartTicks = 0xFFFFFFF0u, .StartSeconds = 1000});
    headless::AdvanceMs(0x20);
    EXPECT_EQ(plat::Ticks(), 0x10u);
    headless::AdvanceMs(2000);
    EXPECT_EQ(plat::Time(), 1002);
}

TEST_F(HeadlessTest, InputTimelineTakesEffectWhenTimeReachesIt) {
    OpenMouse();
    headless::Schedule({5, plat::KeyEvent(plat::Key::F1, true)});
    headless::Schedule({8, plat::KeyEvent(plat::Key::F1, false)});
    headless::Schedule({3, plat::MotionEvent(4, -1)});
    headless::Schedule({6, plat::MotionEvent(10, 0)});
    headless::Schedule({6, plat::ButtonEvent(0, true)});
    EXPECT_FALSE(plat::KeyDown(plat::Key::F1));
    headless::AdvanceMs(5);
    EXPECT_TRUE(plat::KeyDown(plat::Key::F1));
    plat::MouseState m;
    ASSERT_TRUE(plat::MouseRead(&m));
    EXPECT_EQ(m.X, 4);
    EXPECT_EQ(m.Y, -1);
    EXPECT_EQ(m.Buttons[0], 0);
    headless::AdvanceMs(1);
    ASSERT_TRUE(plat::MouseRead(&m));
    EXPECT_EQ(m.X, 10);  // motion is counted since the last read
    EXPECT_NE(m.Buttons[0], 0);
    ASSERT_TRUE(plat::MouseRead(&m));
    EXPECT_EQ(m.X, 0);
    EXPECT_NE(m.Buttons[0], 0);  // a held button stays down
    headless::AdvanceMs(10);
    EXPECT_FALSE(plat::KeyDown(plat::Key::F1));
    // Something scheduled in the past happens at once.
    headless::Schedule({1, plat::KeyEvent(plat::Key::Escape, true)});
    EXPECT_TRUE(plat::KeyDown(plat::Key::Escape));
}

// A failing mouse fails the one read after it, every time it fails: motion
// goes on adding up meanwhile and comes with the next read that works.
TEST_F(HeadlessTest, EachMouseFailureFailsOnlyTheReadAfterIt) {
    OpenMouse();
    plat::MouseState m;
    for (int episode = 1; episode <= 3; ++episode) {
        SCOPED_TRACE("failure " + std::to_string(episode));
        ASSERT_TRUE(plat::MouseRead(&m));
        plat::core::Feed(plat::MotionEvent(episode, 0));
        plat::core::Feed(plat::MouseFailureEvent());
        plat::core::Feed(plat::MotionEvent(10, 0));
        EXPECT_FALSE(plat::MouseRead(&m));
        ASSERT_TRUE(plat::MouseRead(&m));
        EXPECT_EQ(m.X, episode + 10);
        for (int read = 0; read < 5; ++read) EXPECT_TRUE(plat::MouseRead(&m));
    }
}

TEST_F(HeadlessTest, MessagesAreTakenOneAtATime) {
    plat::PostMessage(plat::MsgPaint, 0, 0);
    plat::PostMessage(plat::MsgDestroy, 0, 0);
    plat::Message m;
    ASSERT_TRUE(plat::PeekMessage(&m));
    EXPECT_EQ(m.Id, plat::MsgPaint);
    ASSERT_TRUE(plat::PeekMessage(&m));
    EXPECT_EQ(m.Id, plat::MsgDestroy);
    EXPECT_FALSE(plat::PeekMessage(&m));
}

TEST_F(HeadlessTest, WindowCloseBecomesDestroyThroughTheDefaultProcedure) {
    headless::Schedule({20, plat::CloseEvent()});
    plat::Message m;
    EXPECT_FALSE(plat::PeekMessage(&m));
    headless::AdvanceMs(20);
    ASSERT_TRUE(plat::PeekMessage(&m));
    ASSERT_EQ(m.Id, plat::MsgClose);
    plat::DefaultWindowProc(m);
    ASSERT_TRUE(plat::PeekMessage(&m));
    EXPECT_EQ(m.Id, plat::MsgDestroy);
    // The quit message waits until the queue is empty.
    plat::PostQuitMessage(0);
    plat::PostMessage(plat::MsgPaint, 0, 0);
    ASSERT_TRUE(plat::PeekMessage(&m));
    EXPECT_EQ(m.Id, plat::MsgPaint);
    ASSERT_TRUE(plat::PeekMessage(&m));
    EXPECT_EQ(m.Id, plat::MsgQuit);
    EXPECT_EQ(m.WParam, 0u);
    EXPECT_FALSE(plat::PeekMessage(&m));

    // A second click of the close box adds nothing; a reset forgets the
    // first, so that the next test's close is heard.
    headless::Schedule({30, plat::CloseEvent()});
    EXPECT_FALSE(plat::PeekMessage(&m));
    headless::Reset();
    headless::Schedule({0, plat::CloseEvent()});
    ASSERT_TRUE(plat::PeekMessage(&m));
    EXPECT_EQ(m.Id, plat::MsgClose);
}

// A close is a close request, as on the real back ends, and a reset forgets it:
// one test's close must not end the next one's flips.
TEST_F(HeadlessTest, ACloseIsARequestThatAResetForgets) {
    plat::core::RequestClose();
    headless::Reset();
    EXPECT_FALSE(plat::core::CloseRequested());
    headless::Schedule({0, plat::CloseEvent()});
    EXPECT_TRUE(plat::core::CloseRequested());
    plat::Message m;
    ASSERT_TRUE(plat::PeekMessage(&m));
    EXPECT_EQ(m.Id, plat::MsgClose);
}

TEST_F(HeadlessTest, StepsFailOnRequestAndSayWhy) {
    headless::FailStep(headless::Step::DisplayMode);
    ASSERT_TRUE(plat::DisplayCreate());
    EXPECT_FALSE(plat::DisplaySetMode(800, 600, 16));
    EXPECT_NE(std::string(plat::LastError()).find("DisplaySetMode"), std::string::npos);
    headless::FailStep(headless::Step::MouseRead, 2);
    OpenMouse();
    plat::MouseState m;
    EXPECT_FALSE(plat::MouseRead(&m));
    EXPECT_FALSE(plat::MouseRead(&m));
    EXPECT_TRUE(plat::MouseRead(&m));
    plat::MouseUnacquire();
    EXPECT_FALSE(plat::MouseRead(&m));
}

TEST_F(HeadlessTest, ReleasingTheDisplayTakesEverySurfaceWithIt) {
    OpenDisplay();
    plat::Surface* extra = nullptr;
    ASSERT_TRUE(plat::DisplayCreateSurface(10, 10, &extra));
    EXPECT_EQ(headless::Live().Surfaces, 3u);
    plat::ReleaseSurface(extra);
    EXPECT_EQ(headless::Live().Surfaces, 2u);
    plat::DisplayRelease();
    EXPECT_EQ(headless::Live().Surfaces, 0u);
    EXPECT_FALSE(headless::Live().Display);
    EXPECT_FALSE(plat::Flip());
}

TEST_F(HeadlessTest, ScreenshotWidensWordsOfEitherLayout) {
    OpenDisplay();
    plat::DisplaySetWordLayout(plat::WordLayout::Rgb565);
    primary->Words[0] = 0xF800;
    primary->Words[1] = 0x07E0;
    auto rgb = headless::PrimaryRgb();
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1], 0);
    EXPECT_EQ(rgb[4], 255);
    plat::DisplaySetWordLayout(plat::WordLayout::Rgb555);
    primary->Words[0] = 0x7FFF;
    rgb = headless::PrimaryRgb();
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1], 255);
    EXPECT_EQ(rgb[2], 255);
    plat::DisplaySetWordLayout(plat::WordLayout::Rgb565);

    const auto path = testing_support::ScratchDir() / "shot.png";
    std::string error;
    ASSERT_TRUE(headless::SavePrimaryPng(path.string(), &error)) << error;
    std::ifstream in(path, std::ios::binary);
    char signature[8] = {};
    in.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    EXPECT_FALSE(headless::SavePrimaryPng("/nonexistent-dir/shot.png", &error));
    EXPECT_NE(error.find("/nonexistent-dir/shot.png"), std::string::npos);
}

}  // namespace
