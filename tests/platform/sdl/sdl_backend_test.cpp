// The SDL back end on SDL's dummy video and audio drivers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/core.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"

namespace {

using namespace plat;
using sdl::TestKey;
using sdl::TestWindowEvent;

class SdlBackend : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        sdl::Reset();
        DisplaySetWordLayout(WordLayout::Rgb565);
    }
    void TearDown() override {
        sdl::Reset();
        DisplaySetWordLayout(WordLayout::Rgb565);
    }

    // The display as the game sets it up.
    void OpenDisplay(WordLayout layout) {
        DisplaySetWordLayout(layout);
        ASSERT_TRUE(RegisterWindowClass("QORBCLASS")) << LastError();
        ASSERT_TRUE(CreateMainWindow("QORBCLASS", "Qorb Game Console", 0, 0, 800, 600)) << LastError();
        ASSERT_TRUE(DisplayCreate()) << LastError();
        ASSERT_TRUE(DisplaySetCooperativeLevel()) << LastError();
        ASSERT_TRUE(DisplaySetMode(800, 600, 16)) << LastError();
        ASSERT_TRUE(DisplayCreatePrimary(&primary)) << LastError();
        ASSERT_TRUE(DisplayGetBackBuffer(&back)) << LastError();
    }

    void OpenMouse() {
        ASSERT_TRUE(InputCreate() && MouseCreate() && MouseSetCooperativeLevel() && MouseSetDataFormat() &&
                    MouseAcquire())
            << LastError();
    }

    // Layer calls until at least `ms` of the layer's clock have passed.
    static void IdleFor(uint32_t ms) {
        const uint32_t start = Ticks();
        while (Ticks() - start < ms) Idle();
    }

    struct Screen {
        int32_t Width = 0, Height = 0;
        std::vector<uint32_t> Pixels;
        uint32_t At(int32_t x, int32_t y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
    };
    static Screen ReadScreen() {
        Screen screen;
        EXPECT_TRUE(sdl::ReadScreen(&screen.Width, &screen.Height, &screen.Pixels));
        return screen;
    }

    static uint32_t Shown(uint16_t word, WordLayout layout) {
        uint8_t rgb[3];
        WordToRgb(word, layout, rgb);
        return uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
    }

    Surface* primary = nullptr;
    Surface* back = nullptr;
};

TEST_F(SdlBackend, CallsBeforeTheirDeviceFailWithAReason) {
    EXPECT_FALSE(CreateMainWindow("QORBCLASS", "Qorb", 0, 0, 800, 600));
    EXPECT_NE(std::string(LastError()).find("not registered"), std::string::npos) << LastError();
    EXPECT_FALSE(DisplaySetMode(800, 600, 16));
    EXPECT_NE(std::string(LastError()).find("no display"), std::string::npos) << LastError();
    Surface* surface = nullptr;
    EXPECT_FALSE(DisplayCreatePrimary(&surface));
    EXPECT_FALSE(Flip());
    EXPECT_NE(std::string(LastError()).find("Flip"), std::string::npos) << LastError();
    EXPECT_EQ(SoundCreateBuffer(64), nullptr);
    EXPECT_NE(std::string(LastError()).find("no sound device"), std::string::npos) << LastError();
    MouseState mouse;
    EXPECT_FALSE(MouseRead(&mouse));
    EXPECT_NE(std::string(LastError()).find("not acquired"), std::string::npos) << LastError();

    // A display without a window cannot take a mode, nor a mode of 32 bits.
    ASSERT_TRUE(RegisterWindowClass("QORBCLASS"));
    ASSERT_TRUE(DisplayCreate());
    EXPECT_FALSE(DisplaySetMode(800, 600, 16));
    EXPECT_NE(std::string(LastError()).find("no window"), std::string::npos) << LastError();
    ASSERT_TRUE(CreateMainWindow("QORBCLASS", "Qorb", 0, 0, 800, 600));
    EXPECT_FALSE(DisplaySetMode(800, 600, 32));
    EXPECT_FALSE(DisplayCreatePrimary(&surface));
    EXPECT_TRUE(DisplaySetMode(800, 600, 16)) << LastError();
}

TEST_F(SdlBackend, FlipShowsThePictureScaledInEitherLayout) {
    for (const WordLayout layout : {WordLayout::Rgb565, WordLayout::Rgb555}) {
        SCOPED_TRACE(layout == WordLayout::Rgb565 ? "565" : "555");
        sdl::Reset();
        OpenDisplay(layout);
        PixelFormat format;
        ASSERT_TRUE(DisplayGetPixelFormat(&format));
        EXPECT_EQ(format.RgbBitCount, layout == WordLayout::Rgb565 ? 16u : 15u);
        EXPECT_EQ(format.GreenMask, layout == WordLayout::Rgb565 ? 0x07E0u : 0x03E0u);

        // Four quadrants; in 5-5-5 the unused top bit is set on one of them.
        const uint16_t colours[4] = {0x1234, 0x8421, 0x7C1F, 0x03E0};
        for (int q = 0; q < 4; ++q) ASSERT_TRUE(Fill(back, RectAt(q % 2 * 400, q / 2 * 300, 400, 300), colours[q]));
        ASSERT_TRUE(Flip());
        EXPECT_EQ(primary->Words[0], colours[0]);  // the pictures changed places

        const Screen screen = ReadScreen();
        ASSERT_GT(screen.Width, 0);
        // The dummy display is 4:3, so the picture fills it.
        for (int q = 0; q < 4; ++q) {
            const int32_t x = (q % 2 * 2 + 1) * screen.Width / 4, y = (q / 2 * 2 + 1) * screen.Height / 4;
            EXPECT_EQ(screen.At(x, y), Shown(colours[q], layout)) << "quadrant " << q;
        }
        EXPECT_EQ(screen.At(0, 0), Shown(colours[0], layout));
        EXPECT_EQ(screen.At(screen.Width - 1, screen.Height - 1), Shown(colours[3], layout));
    }
}

TEST_F(SdlBackend, F11SwitchesToAWindowShowingThePixelsOneToOne) {
    OpenDisplay(WordLayout::Rgb565);
    for (int32_t y = 0; y < 600; ++y)
        for (int32_t x = 0; x < 800; ++x)
            back->Words[static_cast<size_t>(y) * back->PitchWords + x] = static_cast<uint16_t>(x * 81 + y * 7);
    ASSERT_TRUE(Flip());

    sdl::PostTestKey(TestKey::F11, true);
    EXPECT_FALSE(KeyDown(Key::Escape) || KeyDown(Key::Enter) || KeyDown(Key::F1) || KeyDown(Key::F5));
    sdl::PostTestKey(TestKey::F11, false);
    IdleFor(40);  // the window needs its picture again: it comes without a flip

    Screen screen = ReadScreen();
    ASSERT_EQ(screen.Width, 800);
    ASSERT_EQ(screen.Height, 600);
    int wrong = 0;
    for (int32_t y = 0; y < 600; ++y)
        for (int32_t x = 0; x < 800; ++x)
            wrong += screen.At(x, y) !=
                     Shown(primary->Words[static_cast<size_t>(y) * primary->PitchWords + x], WordLayout::Rgb565);
    EXPECT_EQ(wrong, 0);

    sdl::PostTestKey(TestKey::F11, true);
    sdl::PostTestKey(TestKey::F11, false);
    ASSERT_TRUE(Flip());
    screen = ReadScreen();
    EXPECT_GT(screen.Width, 800);  // back to the whole (dummy) desktop
}

TEST_F(SdlBackend, ADrawOnThePrimaryShowsWithoutAFlip) {
    OpenDisplay(WordLayout::Rgb555);
    ASSERT_TRUE(Flip());
    ASSERT_TRUE(Fill(primary, RectAt(0, 0, 800, 600), 0x7C00));
    IdleFor(40);
    Screen screen = ReadScreen();
    EXPECT_EQ(screen.At(screen.Width / 2, screen.Height / 2), 0xFF0000u);

    // Text goes the same way.
    ASSERT_TRUE(Fill(primary, RectAt(0, 0, 800, 600), 0));
    DrawText(primary, 0, 0, "##########", 10, 0x001F);
    IdleFor(40);
    screen = ReadScreen();
    int blue = 0;
    for (uint32_t pixel : screen.Pixels) blue += pixel == 0x0000FFu;
    EXPECT_GT(blue, 0);
    EXPECT_GE(GetStats().PrimaryUpdates, 2u);
}

TEST_F(SdlBackend, ReleasingTheDevicesFreesEverySurfaceAndBuffer) {
    OpenDisplay(WordLayout::Rgb565);
    Surface* extra = nullptr;
    ASSERT_TRUE(DisplayCreateSurface(64, 32, &extra));
    ASSERT_TRUE(SoundCreate()) << LastError();
    ASSERT_NE(SoundCreateBuffer(400), nullptr);
    ASSERT_NE(SoundCreateBuffer(800), nullptr);
    EXPECT_EQ(core::LiveSurfaceCount(), 3u);
    EXPECT_EQ(core::LiveSoundBufferCount(), 2u);

    SoundRelease();
    EXPECT_EQ(core::LiveSoundBufferCount(), 0u);
    EXPECT_EQ(SoundCreateBuffer(400), nullptr);
    DisplayRelease();
    EXPECT_EQ(core::LiveSurfaceCount(), 0u);
    EXPECT_EQ(core::Chain().Primary, nullptr);
    EXPECT_FALSE(Flip());
    EXPECT_TRUE(sdl::RendererName().empty());
}

TEST_F(SdlBackend, KeysAndTheMouseReadWhatTheWindowSystemDelivered) {
    OpenDisplay(WordLayout::Rgb565);
    OpenMouse();

    sdl::PostTestKey(TestKey::Return, true);
    EXPECT_TRUE(KeyDown(Key::Enter));
    sdl::PostTestKey(TestKey::KeypadEnter, true);
    sdl::PostTestKey(TestKey::Return, false);
    EXPECT_TRUE(KeyDown(Key::Enter)) << "the keypad's Enter is still held";
    sdl::PostTestKey(TestKey::KeypadEnter, false);
    EXPECT_FALSE(KeyDown(Key::Enter));
    for (auto [physical, key] :
         {std::pair{TestKey::Escape, Key::Escape}, std::pair{TestKey::F1, Key::F1}, std::pair{TestKey::F5, Key::F5}}) {
        sdl::PostTestKey(physical, true);
        EXPECT_TRUE(KeyDown(key));
        sdl::PostTestKey(physical, false);
        EXPECT_FALSE(KeyDown(key));
    }

    sdl::PostTestMotion(3, -2);
    sdl::PostTestMotion(4, 1);
    sdl::PostTestButton(1, true);
    sdl::PostTestButton(3, true);
    MouseState mouse;
    ASSERT_TRUE(MouseRead(&mouse));
    EXPECT_EQ(mouse.X, 7);
    EXPECT_EQ(mouse.Y, -1);
    EXPECT_NE(mouse.Buttons[0], 0);
    EXPECT_NE(mouse.Buttons[1], 0);  // right
    EXPECT_EQ(mouse.Buttons[2], 0);
    sdl::PostTestButton(1, false);
    ASSERT_TRUE(MouseRead(&mouse));
    EXPECT_EQ(mouse.X, 0);
    EXPECT_EQ(mouse.Y, 0);
    EXPECT_EQ(mouse.Buttons[0], 0);

    // Motion while the mouse is not acquired is not kept for later.
    MouseUnacquire();
    sdl::PostTestMotion(50, 50);
    EXPECT_FALSE(MouseRead(&mouse));
    ASSERT_TRUE(MouseAcquire());
    ASSERT_TRUE(MouseRead(&mouse));
    EXPECT_EQ(mouse.X, 0);
    EXPECT_EQ(mouse.Y, 0);
}

TEST_F(SdlBackend, FlipWaitsInTheBackgroundUntilFocusReturnsOrCloseIsAsked) {
    OpenDisplay(WordLayout::Rgb565);
    OpenMouse();
    // Never told of focus (as without a window manager): flips go on.
    ASSERT_TRUE(Flip());
    ASSERT_TRUE(Flip());

    std::atomic<bool> posted{false};
    auto later = [&posted](TestWindowEvent what) {
        return std::thread([&posted, what] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            posted = true;
            sdl::PostTestWindowEvent(what);
        });
    };

    sdl::PostTestWindowEvent(TestWindowEvent::FocusGained);
    sdl::PostTestWindowEvent(TestWindowEvent::FocusLost);
    std::thread focus = later(TestWindowEvent::FocusGained);
    ASSERT_TRUE(Flip());
    EXPECT_TRUE(posted) << "the flip did not wait for the focus";
    focus.join();
    Message message;
    EXPECT_FALSE(PeekMessage(&message));

    // A key pressed in the window brings it back too: without a window
    // manager, focus lost to another window returns unannounced.
    posted = false;
    sdl::PostTestWindowEvent(TestWindowEvent::FocusLost);
    std::thread key([&posted] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        posted = true;
        sdl::PostTestKey(TestKey::Escape, true);
    });
    ASSERT_TRUE(Flip());
    EXPECT_TRUE(posted) << "the flip did not wait for the focus";
    key.join();
    EXPECT_TRUE(KeyDown(Key::Escape));
    EXPECT_FALSE(PeekMessage(&message));

    // Motion that arrives in the background does not move the paddle later.
    sdl::PostTestWindowEvent(TestWindowEvent::Minimized);
    sdl::PostTestMotion(25, 0);
    MouseState mouse;
    ASSERT_TRUE(MouseRead(&mouse));
    EXPECT_EQ(mouse.X, 0);

    posted = false;
    std::thread close = later(TestWindowEvent::Close);
    ASSERT_TRUE(Flip());
    EXPECT_TRUE(posted) << "the flip did not wait while minimised";
    close.join();
    // The window's close and the quit SDL sends after it are one request.
    sdl::PostTestWindowEvent(TestWindowEvent::Quit);
    Idle();
    ASSERT_TRUE(PeekMessage(&message));
    EXPECT_EQ(message.Id, MsgClose);
    EXPECT_FALSE(PeekMessage(&message));
    ASSERT_TRUE(Flip()) << "after a close request flips no longer wait";
}

TEST_F(SdlBackend, SoundPlaysInTimeWithADeviceAndWithout) {
    std::vector<uint8_t> pcm(SoundBytesPerSecond / 50, 0x10);  // 20 ms
    for (const bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "silent" : "dummy device");
        sdl::Reset();
        ASSERT_TRUE(silent ? SoundCreateSilent() : SoundCreate()) << LastError();
        SoundBuffer* shortOne = SoundCreateBuffer(static_cast<uint32_t>(pcm.size()));
        SoundBuffer* longOne = SoundCreateBuffer(SoundBytesPerSecond * 30);
        ASSERT_NE(shortOne, nullptr);
        ASSERT_NE(longOne, nullptr);
        ASSERT_TRUE(SoundWrite(shortOne, pcm.data(), static_cast<uint32_t>(pcm.size())));
        ASSERT_TRUE(SoundPlay(shortOne));
        ASSERT_TRUE(SoundPlay(longOne));
        IdleFor(300);
        EXPECT_EQ(SoundStatus(shortOne), 0u) << "a 20 ms sound still plays after 300 ms";
        EXPECT_EQ(SoundGetPosition(shortOne), 0u);
        EXPECT_EQ(SoundStatus(longOne), SoundStatusPlaying);
        EXPECT_GT(SoundGetPosition(longOne), 0u);
    }
}

TEST_F(SdlBackend, AMissingSoundDeviceFailsWithSdlsReason) {
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    EXPECT_FALSE(SoundCreate());
    EXPECT_NE(std::string(LastError()).find("SoundCreate: "), std::string::npos) << LastError();
    EXPECT_NE(std::string(LastError()).find("no_such_driver"), std::string::npos) << LastError();
    EXPECT_EQ(SoundCreateBuffer(64), nullptr);
}

}  // namespace
