// The SDL back end on SDL's dummy video and audio drivers.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
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

// A page of one-pixel white and black columns (top third), a white block on
// black (middle third: plain edges) and one-pixel rows (bottom third), shown
// by the software renderer in a window of the given size.
class SdlSharp : public SdlBackend {
protected:
    static uint16_t PageAt(int32_t x, int32_t y) {
        if (y < 200) return x % 2 == 1 ? 0xFFFF : 0;
        if (y < 400) return x >= 300 && x < 500 && y >= 250 && y < 350 ? 0xFFFF : 0;
        return y % 2 == 1 ? 0xFFFF : 0;
    }
    void DrawPage() {
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x) back->Words[static_cast<size_t>(y) * back->PitchWords + x] = PageAt(x, y);
    }
    Screen ShowPage(int32_t width, int32_t height) {
        setenv("SDL_RENDER_DRIVER", "software", 1);
        OpenDisplay(WordLayout::Rgb565);
        unsetenv("SDL_RENDER_DRIVER");
        EXPECT_EQ(sdl::RendererName(), "software");
        sdl::SetTestWindowSize(width, height);
        DrawPage();
        EXPECT_TRUE(Flip());
        Screen screen = ReadScreen();
        EXPECT_EQ(screen.Width, width);
        EXPECT_EQ(screen.Height, height);
        return screen;
    }
    static int Light(uint32_t pixel) { return static_cast<int>(pixel & 0xFF); }
};

TEST_F(SdlSharp, AtAFractionEveryPicturePixelGetsTheSameLightAndEdgesStaySharp) {
    constexpr double scale = 1.8;
    const Screen screen = ShowPage(1440, 1080);
    ASSERT_EQ(screen.Pixels.size(), size_t{1440} * 1080);

    // A screen pixel blends at most two neighbouring picture pixels, one of
    // them black: its light belongs to the white (odd) line nearest it.
    auto white = [&](int32_t screenLine) {
        const double at = (screenLine + 0.5) / scale;
        return static_cast<int32_t>(std::lround((at - 1.5) / 2)) * 2 + 1;
    };
    std::vector<double> columns(800, 0), rows(600, 0);
    for (int32_t x = 0; x < 1440; ++x)
        for (int32_t y = 40; y < 320; y += 7)
            columns[static_cast<size_t>(std::clamp(white(x), 0, 799))] += Light(screen.At(x, y));
    for (int32_t y = 720; y < 1080; ++y)
        for (int32_t x = 100; x < 1300; x += 13)
            rows[static_cast<size_t>(std::clamp(white(y), 0, 599))] += Light(screen.At(x, y));
    auto spread = [](const std::vector<double>& light, int32_t from, int32_t to) {
        double least = light[static_cast<size_t>(from)], most = least;
        for (int32_t line = from; line < to; line += 2) {
            least = std::min(least, light[static_cast<size_t>(line)]);
            most = std::max(most, light[static_cast<size_t>(line)]);
        }
        return least > 0 ? most / least - 1 : 99.0;
    };
    EXPECT_LT(spread(columns, 3, 797), 0.10) << "white picture columns get unequal light";
    EXPECT_LT(spread(rows, 403, 597), 0.10) << "white picture rows get unequal light";

    // The block's edges: at most two screen pixels between black and white,
    // and the block as wide and high as 200 x 100 picture pixels scaled.
    auto edges = [&](bool across, int32_t line) {
        int run = 0, longest = 0, lit = 0;
        for (int32_t i = across ? 500 : 420; i < (across ? 940 : 660); ++i) {
            const int light = Light(across ? screen.At(i, line) : screen.At(line, i));
            run = light != 0 && light != 255 ? run + 1 : 0;
            longest = std::max(longest, run);
            lit += light >= 128;
        }
        return std::pair{longest, lit};
    };
    for (int32_t y = 470; y < 610; y += 5) {
        const auto [ramp, lit] = edges(true, y);
        EXPECT_LE(ramp, 2) << "row " << y;
        EXPECT_NEAR(lit, 360, 1) << "row " << y;
    }
    for (int32_t x = 560; x < 880; x += 5) {
        const auto [ramp, lit] = edges(false, x);
        EXPECT_LE(ramp, 2) << "column " << x;
        EXPECT_NEAR(lit, 180, 1) << "column " << x;
    }
}

TEST_F(SdlSharp, AtAWholeFactorItIsPlainNearest) {
    const Screen screen = ShowPage(1600, 1200);
    ASSERT_EQ(screen.Pixels.size(), size_t{1600} * 1200);
    int wrong = 0;
    for (int32_t y = 0; y < 1200; ++y)
        for (int32_t x = 0; x < 1600; ++x) wrong += screen.At(x, y) != (PageAt(x / 2, y / 2) != 0 ? 0xFFFFFFu : 0u);
    EXPECT_EQ(wrong, 0);
}

TEST_F(SdlSharp, AFlipDrawsOnlyWhatChanged) {
    ShowPage(1440, 1080);
    sdl::PresentCounters before = sdl::GetPresentCounters();
    DrawPage();
    ASSERT_TRUE(Flip());
    sdl::PresentCounters after = sdl::GetPresentCounters();
    EXPECT_EQ(after.Unchanged, before.Unchanged + 1);
    EXPECT_EQ(after.PixelsDrawn, before.PixelsDrawn) << "an unchanged page was drawn again";

    // A ball's worth in one corner and a panel's in the other: two small
    // areas, not the span between them.
    DrawPage();
    ASSERT_TRUE(Fill(back, RectAt(10, 10, 8, 8), 0x07E0));
    ASSERT_TRUE(Fill(back, RectAt(760, 580, 30, 12), 0xF800));
    ASSERT_TRUE(Flip());
    after = sdl::GetPresentCounters();
    EXPECT_GT(after.PixelsDrawn, before.PixelsDrawn);
    EXPECT_LT(after.PixelsDrawn - before.PixelsDrawn, 1440u * 1080 / 100);
    const Screen screen = ReadScreen();
    EXPECT_EQ(screen.At(25, 25), 0x00FF00u);
    EXPECT_EQ(screen.At(1390, 1055), 0xFF0000u);
    EXPECT_EQ(screen.At(720, 540), 0xFFFFFFu);  // the block, shown before and kept
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

// A pad is SDL's game controller, taken when plugged in at any time. Each
// change takes SDL a look or two, so each step waits for what it expects.
TEST_F(SdlBackend, AGameControllerPluggedInPlaysRestsBehindAndIsLetGoOfUnplugged) {
    using sdl::TestPadAxis;
    using sdl::TestPadButton;
    OpenDisplay(WordLayout::Rgb565);
    OpenMouse();
    auto soon = [](auto holds) {
        for (const uint32_t start = Ticks(); !holds(); Idle())
            if (Ticks() - start > 5000) return false;
        return true;
    };
    auto down = [](Key key) { return [key] { return KeyDown(key); }; };
    auto up = [](Key key) { return [key] { return !KeyDown(key); }; };
    MouseState mouse;
    auto button = [&mouse] { return MouseRead(&mouse) && mouse.Buttons[0] != 0; };

    sdl::PlugTestPad();
    IdleFor(20);
    EXPECT_EQ(core::PlayingPad(), -1);  // plugged in, not yet playing
    sdl::SetTestPadButton(TestPadButton::A, true);
    sdl::SetTestPadButton(TestPadButton::Start, true);
    EXPECT_TRUE(soon(down(Key::Enter)));
    EXPECT_TRUE(soon(down(Key::F1)));
    EXPECT_TRUE(soon(button));
    EXPECT_NE(core::PlayingPad(), -1);
    sdl::SetTestPadButton(TestPadButton::A, false);
    sdl::SetTestPadButton(TestPadButton::Start, false);
    sdl::SetTestPadButton(TestPadButton::Back, true);  // Escape, outside a pause
    EXPECT_TRUE(soon(down(Key::Escape)));
    EXPECT_FALSE(KeyDown(Key::Enter) || KeyDown(Key::F1));
    sdl::SetTestPadButton(TestPadButton::Back, false);
    EXPECT_TRUE(soon(up(Key::Escape)));

    // The stick steers one way, then the other; up and down do nothing.
    for (int16_t x : {int16_t{32767}, int16_t{-32768}}) {
        sdl::SetTestPadAxis(TestPadAxis::LeftX, x);
        sdl::SetTestPadAxis(TestPadAxis::LeftY, 32767);
        int32_t moved = 0, movedY = 0;
        EXPECT_TRUE(soon([&] {
            if (!MouseRead(&mouse)) return false;
            moved += mouse.X;
            movedY += mouse.Y;
            return (x > 0 ? moved : -moved) >= 20;
        })) << x;
        EXPECT_EQ(movedY, 0);
    }
    sdl::SetTestPadAxis(TestPadAxis::LeftX, 0);

    // Behind another window the pad rests, as the keys do.
    sdl::SetTestPadButton(TestPadButton::A, true);
    EXPECT_TRUE(soon(down(Key::Enter)));
    sdl::PostTestWindowEvent(TestWindowEvent::FocusGained);
    sdl::PostTestWindowEvent(TestWindowEvent::FocusLost);
    EXPECT_TRUE(soon(up(Key::Enter)));
    sdl::PostTestWindowEvent(TestWindowEvent::FocusGained);
    EXPECT_TRUE(soon(down(Key::Enter)));

    // Unplugged, what it held is let go of; plugged in again, it plays again.
    sdl::UnplugTestPad();
    EXPECT_TRUE(soon(up(Key::Enter)));
    ASSERT_TRUE(MouseRead(&mouse));
    EXPECT_EQ(mouse.Buttons[0], 0);
    EXPECT_EQ(core::PlayingPad(), -1);
    sdl::PlugTestPad();
    sdl::SetTestPadButton(TestPadButton::Start, true);
    EXPECT_TRUE(soon(down(Key::F1)));
    // Released with the input device: nothing stays held.
    InputRelease();
    EXPECT_FALSE(KeyDown(Key::F1));
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
