// The whole game linked with the null back end: no window, no sound, no
// input, on the real clock. Input comes from the test between passes.
#include <gtest/gtest.h>

#include <filesystem>

#include "gfx/pixel_packing.h"
#include "platform/core.h"
#include "platform/platform.h"
#include "play/ball.h"
#include "play/round_loop.h"
#include "play/status_panel.h"
#include "shell/devices.h"
#include "shell/entry.h"
#include "support/asset_folder.h"

namespace {

TEST(NullBackend, RunsTheTitleAndARoundOnTheRealClock) {
    std::filesystem::current_path(testing_support::AssetFolderForTests());
    GamePacking = Packing::Rgb565;
    plat::DisplaySetWordLayout(plat::WordLayout::Rgb565);
    testing::internal::CaptureStderr();
    ExitStatus status;
    ASSERT_TRUE(OpenGame(&status)) << status.Message;
    EXPECT_NE(testing::internal::GetCapturedStderr().find("playing without sound"), std::string::npos);

    int code = 0;
    const uint32_t start = plat::Ticks();
    ASSERT_TRUE(FramePass(&code));                // the title zooms in at 60 flips a second
    EXPECT_GE(plat::Ticks() - start, 206u * 16);  // never faster than the display
    EXPECT_EQ(Lives, 0);

    Lives = 3;  // as Enter on the title does
    plat::core::Feed(plat::ButtonEvent(0, true));
    for (int pass = 0; pass < 200 && Lives > 0; ++pass) ASSERT_TRUE(FramePass(&code));  // about two seconds
    EXPECT_EQ(RoundFrameCount, 17) << "set-up, announcement and play";
    EXPECT_EQ(RoundNumber, 1);
    EXPECT_EQ(BallHeld, 0) << "the held button served the ball";
    EXPECT_GT(Lives, 0);

    plat::PostMessage(plat::MsgDestroy, 0, 0);
    while (FramePass(&code)) {
    }
    EXPECT_EQ(code, 0);
    ShutdownDevices();
    EXPECT_EQ(plat::core::Live().Surfaces, 0u);
}

}  // namespace
