// The browser back end on a simulated page: a frame clock of any rate, a tab
// that can be hidden, Web Audio that starts late, and the page's input queue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/platform.h"
#include "platform/web/pacing.h"
#include "platform/web/page.h"

namespace {

struct FakePage {
    double Now = 1000;
    double Hz = 60;
    bool Active = true;
    double ActiveAgainAt = 0;  // when a hidden tab comes back
    // The page's audio: a device that plays what it holds at 44.1 kHz from
    // AudioFrom (ms), each piece sent replacing what it held from there.
    bool AudioRunning = false;
    double AudioFrom = 0;
    std::vector<int16_t> Held;  // by frame, left and right
    uint64_t HeldFrom = 0;      // what it holds: [HeldFrom, HeldEnd)
    uint64_t HeldEnd = 0;
    uint64_t Played = 0;  // frames the device has played
    std::vector<int16_t> Heard;
    uint64_t Underruns = 0;  // frames played with nothing held, once sound began
    uint64_t Late = 0;       // frames sent after their time
    uint64_t AudioTotal = 0;
    double LateChanges = 0;
    int Dozes = 0;
    double InputAt = 1e18;  // when an input event arrives and wakes a doze
    int Shows = 0;
    int ShowsWhenFrozen = -1;  // pictures shown when the flip began to wait for the focus
    int LastShowRows = 0;
    std::vector<plat::Rect> Shown;  // the areas put on the canvas
    std::deque<plat::InputEvent> Input;
    plat::core::InputReads ReadsTold;             // what the game had read, as the page last heard
    bool PictureLost = false;                     // the browser gave back a blank canvas
    uint32_t HeardLate = 0;                       // how late a piece reached the device
    std::vector<plat::web::page::PadState> Pads;  // what the page read of its gamepads
};
FakePage fake;

uint64_t DeviceFrame() { return static_cast<uint64_t>((fake.Now - fake.AudioFrom) * 44.1); }

// The device plays up to now.
void Hear() {
    for (const uint64_t now = DeviceFrame(); fake.Played < now; ++fake.Played) {
        if (fake.Played >= fake.HeldFrom && fake.Played < fake.HeldEnd) {
            fake.Heard.push_back(fake.Held[2 * fake.Played]);
            fake.Heard.push_back(fake.Held[2 * fake.Played + 1]);
        } else if (!fake.Heard.empty()) {
            ++fake.Underruns;
        }
    }
}

}  // namespace

namespace plat::web::page {

void OpenCanvas(int32_t, int32_t) {}
void ShowRgba(const uint8_t*, int32_t, int32_t, int32_t x, int32_t y, int32_t w, int32_t h) {
    ++fake.Shows;
    fake.LastShowRows = h;
    fake.Shown.push_back(plat::RectAt(x, y, w, h));
}
void SetCursorVisible(bool) {}
bool PictureLost() { return std::exchange(fake.PictureLost, false); }
double NowMs() { return fake.Now; }
double NextFrameWithin(uint32_t maxMs) {
    const double period = 1000.0 / fake.Hz;
    const double frame = (std::floor(fake.Now / period + 1e-9) + 1) * period;
    if (frame > fake.Now + maxMs) {
        fake.Now += maxMs;
        return -1;
    }
    return fake.Now = frame;
}
void Sleep(uint32_t ms) { fake.Now += ms > 0 ? ms : 0.05; }
// A doze ends at an input event or its deadline; the page plays what was
// queued meanwhile.
void Doze(uint32_t maxMs) {
    ++fake.Dozes;
    double until = fake.Now + maxMs;
    if (fake.InputAt > fake.Now) until = std::min(until, fake.InputAt);
    fake.Now = until;
}
bool Active() { return fake.Active; }
void WaitUntilActive() {
    fake.ShowsWhenFrozen = fake.Shows;
    fake.Now = std::max(fake.Now, fake.ActiveAgainAt);
    fake.Active = true;
}
int32_t TakeInput(plat::InputEvent* events, int32_t capacity, const plat::core::InputReads& reads) {
    fake.ReadsTold = reads;
    int32_t n = 0;
    for (; n < capacity && !fake.Input.empty(); ++n) {
        events[n] = fake.Input.front();
        fake.Input.pop_front();
    }
    return n;
}
int32_t TakePads(PadState* pads, int32_t capacity) {
    int32_t n = 0;
    for (; n < capacity && n < static_cast<int32_t>(fake.Pads.size()); ++n) pads[n] = fake.Pads[static_cast<size_t>(n)];
    return n;
}
void WantPointerLock(bool) {}
bool PointerLocked() { return true; }
bool AudioRunning() { return fake.AudioRunning; }
uint32_t AudioHeardLate() { return std::exchange(fake.HeardLate, 0u); }
double AudioPlayedFrame() {
    Hear();
    return static_cast<double>(fake.Played);
}
void QueueAudioAt(double at, const int16_t* frames, uint32_t count) {
    Hear();
    const auto from = static_cast<uint64_t>(at);
    if (fake.HeldEnd <= fake.Played) fake.HeldFrom = from;
    if (fake.Held.size() < 2 * (from + count)) fake.Held.resize(2 * (from + count), 0);
    for (uint32_t i = 0; i < count; ++i) {
        if (from + i < fake.Played) {
            ++fake.Late;
            continue;
        }
        fake.Held[2 * (from + i)] = frames[2 * i];
        fake.Held[2 * (from + i) + 1] = frames[2 * i + 1];
    }
    fake.HeldEnd = from + count;
    fake.AudioTotal += count;
}
void Progress(double, const char*) {}
void Ended(int32_t) {}
void Fatal(const char*) {}
void PlayState(int32_t) {}
void StatusPanel(int32_t, int32_t) {}
void SetFigure(const char* name, double value) {
    if (std::string(name) == "soundLateChanges") fake.LateChanges = value;
}

}  // namespace plat::web::page

namespace {

namespace backend = plat::backend;

class WebBackend : public ::testing::Test {
protected:
    void SetUp() override {
        fake = FakePage{};
        plat::core::ResetAll();
    }
    void TearDown() override {
        plat::SoundRelease();
        plat::InputRelease();
        backend::CloseDisplay();
        plat::core::ResetAll();
    }
};

TEST_F(WebBackend, SixtyFlipsASecondOnAnyScreenFrozenWhileTheTabIsHiddenAndPacedAnimationsKeepIt) {
    for (double hz : {60.0, 144.0, 240.0}) {
        fake = FakePage{};
        fake.Hz = hz;
        plat::PixelFormat format;
        ASSERT_TRUE(backend::OpenWindow("Qorb", 320, 200));
        ASSERT_TRUE(backend::OpenDisplay(8, 6, &format));
        plat::Surface page;
        page.Width = 8, page.Height = 6, page.PitchWords = 8;
        page.Words.assign(48, 0);

        // A minute of play, each step taking 2 ms and changing one row.
        int flips = 0;
        for (const double end = fake.Now + 60000; fake.Now < end; ++flips) {
            fake.Now += 2;
            ++page.Words[static_cast<size_t>(flips % 6) * 8];
            ASSERT_EQ(backend::Present(page), backend::PresentResult::Shown);
        }
        EXPECT_NEAR(flips, 3600, 2) << hz << " Hz";
        EXPECT_EQ(fake.Shows, flips) << hz << " Hz";
        EXPECT_EQ(fake.LastShowRows, 1) << "only the changed row goes to the canvas";
        backend::Present(page);
        EXPECT_EQ(fake.Shows, flips) << "an unchanged page costs the canvas nothing";

        // Hidden for five seconds: the flip waits, then play goes on at 60 a
        // second from there rather than racing to make up the time.
        fake.Active = false;
        fake.ActiveAgainAt = fake.Now + 5000;
        backend::Present(page);
        EXPECT_GE(fake.Now, fake.ActiveAgainAt);
        int after = 0;
        for (const double end = fake.Now + 1000; fake.Now < end; ++after) backend::Present(page);
        EXPECT_NEAR(after, 60, 2) << hz << " Hz";

        // The title's zoom: each picture drawn in 5 ms, flipped, then the rest
        // of 10 ms from its start waited out; one picture takes 40 ms. The
        // pictures keep to 60 a second, the late one made up for.
        const double zoomStart = fake.Now;
        for (int step = 0; step < 207; ++step) {
            const uint32_t from = plat::Ticks();
            fake.Now += step == 20 ? 40 : 5;
            ++page.Words[static_cast<size_t>(step % 6) * 8];
            backend::Present(page);
            plat::IdleUntil(from, 10);
        }
        EXPECT_NEAR(fake.Now - zoomStart, 207 * plat::web::FramePacer::PeriodMs, 2 * plat::web::FramePacer::PeriodMs)
            << hz << " Hz";
        backend::CloseDisplay();
    }
}

// A page opened without the focus (a tab opened in the background, a window
// behind another) shows its first picture and freezes on it; once it has the
// focus the whole picture goes to the canvas again, which may have been
// dropped meanwhile.
TEST_F(WebBackend, APageWithoutTheFocusShowsItsPictureThenFreezes) {
    plat::PixelFormat format;
    ASSERT_TRUE(backend::OpenWindow("Qorb", 320, 200));
    ASSERT_TRUE(backend::OpenDisplay(8, 6, &format));
    plat::Surface page;
    page.Width = 8, page.Height = 6, page.PitchWords = 8;
    page.Words.assign(48, 7);
    fake.Active = false;
    fake.ActiveAgainAt = fake.Now + 3000;
    ASSERT_EQ(backend::Present(page), backend::PresentResult::Shown);
    EXPECT_EQ(fake.ShowsWhenFrozen, 1) << "the picture waited for the focus before it was shown";
    EXPECT_GE(fake.Now, fake.ActiveAgainAt);
    ASSERT_EQ(fake.Shown.size(), 2u);
    EXPECT_EQ(fake.Shown[1].Right - fake.Shown[1].Left, 8);
    EXPECT_EQ(fake.Shown[1].Bottom - fake.Shown[1].Top, 6);
    backend::CloseDisplay();
}

TEST_F(WebBackend, VoicesKeepTimeBeforeTheFirstGestureAndInputReachesTheGameWhichTellsThePageWhatItRead) {
    ASSERT_TRUE(plat::SoundCreate());
    plat::SoundBuffer* voice = plat::SoundCreateBuffer(plat::SoundBytesPerSecond * 2);
    ASSERT_NE(voice, nullptr);
    ASSERT_TRUE(plat::SoundPlay(voice));
    // No gesture yet: nothing is queued, yet the voice moves on with the clock.
    const double start = fake.Now;
    while (fake.Now < start + 500) backend::Sleep(1000);
    EXPECT_EQ(fake.AudioTotal, 0u);
    // A sleep moves the voices on as it wakes.
    const auto due = static_cast<uint32_t>(static_cast<uint64_t>(fake.Now * 1000 - start * 1000) * 44100 / 1000000);
    EXPECT_EQ(plat::SoundGetPosition(voice), due * plat::SoundBytesPerFrame);
    // The page's audio runs: the mix to come goes out ahead, and the mixer
    // stands the lead ahead of the play position, no further.
    fake.AudioRunning = true;
    fake.AudioFrom = fake.Now;
    const uint32_t before = plat::SoundGetPosition(voice);
    backend::Sleep(0);
    EXPECT_EQ(fake.AudioTotal, plat::web::AudioFeed::AheadFrames);
    EXPECT_EQ(fake.HeldEnd, plat::web::AudioFeed::LeadFrames + plat::web::AudioFeed::AheadFrames);
    EXPECT_EQ(plat::SoundGetPosition(voice) - before, DeviceFrame() * plat::SoundBytesPerFrame);
    // Over a second of polled waits the page never runs dry, and the mixer
    // keeps pace with the play position; the lead is under 40 ms.
    for (const double end = fake.Now + 1000; fake.Now < end;) backend::Sleep(1000);
    EXPECT_EQ(plat::SoundGetPosition(voice) - before, DeviceFrame() * plat::SoundBytesPerFrame);
    EXPECT_EQ(fake.Underruns, 0u);
    EXPECT_EQ(fake.Late, 0u);
    EXPECT_LT(plat::web::AudioFeed::LeadFrames, 44100u * 40 / 1000);
    // The page says a piece reached its device 10 ms late: from the next
    // look on, the mixer stands that much further ahead, and a little more.
    fake.HeardLate = 441;
    backend::Sleep(1000);
    EXPECT_EQ(plat::SoundGetPosition(voice) - before,
              (DeviceFrame() + 441 + plat::web::AudioFeed::LateSpareFrames) * plat::SoundBytesPerFrame);

    ASSERT_TRUE(plat::InputCreate() && plat::MouseCreate() && plat::MouseAcquire());
    plat::InputEvent unknownKey = plat::KeyEvent(plat::Key::F5, true);
    unknownKey.Code = 9;
    fake.Input = {plat::KeyEvent(plat::Key::F5, true), plat::MotionEvent(-30, 4), plat::ButtonEvent(0, true),
                  unknownKey, plat::ButtonEvent(-1, true)};
    EXPECT_TRUE(plat::KeyDown(plat::Key::F5));
    plat::MouseState mouse;
    ASSERT_TRUE(plat::MouseRead(&mouse));
    EXPECT_EQ(mouse.X, -30);
    EXPECT_EQ(mouse.Y, 4);
    EXPECT_EQ(mouse.Buttons[0], 0x80);
    // The page hears of each read at its next look, so that it lets go of a
    // press only once the game has read it: a key read, the mouse read.
    const plat::core::InputReads read = plat::core::Reads();
    EXPECT_FALSE(plat::KeyDown(plat::Key::Escape));
    EXPECT_EQ(fake.ReadsTold.Keys[0], read.Keys[0]);
    EXPECT_EQ(fake.ReadsTold.Mouse, read.Mouse);
    ASSERT_TRUE(plat::MouseRead(&mouse));
    EXPECT_EQ(fake.ReadsTold.Keys[0], read.Keys[0] + 1);
    EXPECT_EQ(fake.ReadsTold.Mouse, read.Mouse);
    backend::PumpEvents();
    EXPECT_EQ(fake.ReadsTold.Mouse, read.Mouse + 1);
    EXPECT_EQ(fake.ReadsTold.Keys[3], read.Keys[3]);
    // Once let go, the mouse's motion is the page's, not the game's.
    plat::MouseUnacquire();
    fake.Input = {plat::MotionEvent(50, 0)};
    ASSERT_TRUE(plat::MouseAcquire());
    ASSERT_TRUE(plat::MouseRead(&mouse));
    EXPECT_EQ(mouse.X, 0);
}

TEST_F(WebBackend, APolledWaitDozesUntilAnEventOrItsDeadlineAndLongerWhenNothingHappens) {
    // The title's wait: ten milliseconds polled.
    const auto wait = [](uint32_t ms) {
        const uint32_t from = backend::Ticks();
        while (backend::Ticks() - from < ms) backend::Sleep(1000);
    };
    using plat::web::DozePlan;
    ASSERT_TRUE(plat::SoundCreate());
    plat::SoundBuffer* music = plat::SoundCreateBuffer(plat::SoundBytesPerSecond * 30);
    // Before the page's sound runs, and while it runs (and needs topping up).
    for (const bool heard : {false, true}) {
        fake = FakePage{};
        ASSERT_TRUE(backend::OpenWindow("Qorb", 320, 200));
        fake.AudioRunning = heard;
        fake.AudioFrom = fake.Now;
        ASSERT_TRUE(plat::SoundPlay(music));
        const uint32_t doze = heard ? plat::web::DozeMs : plat::web::SilentDozeMs;
        // At first each wait ends at most one doze after its deadline, with
        // one or two wake-ups, not one a millisecond (the first look after
        // the voice started, news, dozes just the millisecond it asks)...
        double start = fake.Now;
        int dozes = fake.Dozes;
        for (uint32_t i = 0; i < DozePlan::QuietAfter / 2; ++i) wait(10);
        EXPECT_LE(fake.Now - start, DozePlan::QuietAfter / 2 * (10 + doze + 1)) << heard;
        EXPECT_LE(fake.Dozes - dozes, static_cast<int>(DozePlan::QuietAfter / 2 * (heard ? 2 : 1) + 1)) << heard;
        // ...but when nothing has happened for a while, the page wakes
        // seldom: ten seconds of the waiting title cost a few hundred wakes.
        for (const double end = fake.Now + 10000; fake.Now < end;) wait(10);
        start = fake.Now;
        dozes = fake.Dozes;
        for (const double end = fake.Now + 10000; fake.Now < end;) wait(10);
        EXPECT_NEAR(fake.Dozes - dozes, 10000 / DozePlan::QuietDozeMs, 2) << heard;
        // An input event ends the doze at once, and the waits are short again.
        fake.InputAt = fake.Now + 2;
        fake.Input = {plat::KeyEvent(plat::Key::Enter, true)};
        backend::Sleep(1000);
        EXPECT_DOUBLE_EQ(fake.Now, fake.InputAt);
        backend::PumpEvents();
        start = fake.Now;
        wait(10);
        EXPECT_LE(fake.Now - start, 10 + doze + 1) << heard;
        if (heard) {
            Hear();
            EXPECT_GT(fake.Heard.size(), 0u);
            EXPECT_EQ(fake.Underruns, 0u) << "the sound ran dry";
            EXPECT_EQ(fake.LateChanges, 0);
        }
        plat::SoundStop(music);
    }

    // A game that polls a voice for its end, the page having been quiet:
    // the doze ends with the voice, not a quiet doze later.
    fake = FakePage{};
    for (uint32_t ms = 2950; ms < 3000; ms += 10) {
        for (uint32_t i = 0; i < DozePlan::QuietAfter; ++i) wait(10);
        plat::SoundBuffer* voice = plat::SoundCreateBuffer(plat::SoundBytesPerFrame * (plat::SoundRate * ms / 1000));
        ASSERT_TRUE(plat::SoundPlay(voice));
        const double started = fake.Now;
        while (plat::SoundStatus(voice) == plat::SoundStatusPlaying) backend::Sleep(1000);
        EXPECT_GE(fake.Now - started, ms);
        EXPECT_LE(fake.Now - started, ms + plat::web::SilentDozeMs + 1) << ms;
    }

    // A long wait while the sound runs looks in before what the page holds
    // ahead runs out.
    fake = FakePage{};
    fake.AudioRunning = true;
    fake.AudioFrom = fake.Now;
    ASSERT_TRUE(plat::SoundPlay(music));
    plat::IdleUntil(plat::Ticks(), 3000);  // asks for a second at a time
    Hear();
    EXPECT_GE(fake.Dozes, 3000 / static_cast<int>(DozePlan::HeardMostMs));
    EXPECT_EQ(fake.Underruns, 0u) << "the sound ran dry";
}

// A doze the browser ends early (an input event) or late: the game's wait
// still lasts its whole time, and no longer than the first look past it.
TEST_F(WebBackend, AWaitWokenALittleEarlyOrLateLastsItsTime) {
    ASSERT_TRUE(backend::OpenWindow("Qorb", 320, 200));
    for (const double wakeAfterMs : {0.5, 28.0, 29.5, 29.99, 30.0, 30.5, 34.0}) {
        SCOPED_TRACE("woken " + std::to_string(wakeAfterMs) + " ms into a wait of 30");
        fake.Now = std::floor(fake.Now) + 100;  // a whole millisecond, as the tick count reads
        const double start = fake.Now;
        fake.InputAt = start + wakeAfterMs;
        plat::IdleUntil(plat::Ticks(), 30);
        EXPECT_GE(fake.Now - start, 30.0);
        EXPECT_LE(fake.Now - start, std::max(30.0, wakeAfterMs) + plat::web::SilentDozeMs);
        fake.InputAt = 1e18;
    }
}

// The canvas gets what changed and no more: a ball and a paddle far apart
// are two small areas, not the rows between them.
TEST_F(WebBackend, TheCanvasGetsOnlyTheAreasThatChanged) {
    plat::PixelFormat format;
    ASSERT_TRUE(backend::OpenWindow("Qorb", 800, 600));
    ASSERT_TRUE(backend::OpenDisplay(800, 600, &format));
    plat::Surface page;
    page.Width = 800, page.Height = 600, page.PitchWords = 800;
    page.Words.assign(800 * 600, 0);
    const auto fill = [&](const plat::Rect& r, uint16_t word) {
        for (int32_t y = r.Top; y < r.Bottom; ++y)
            std::fill(page.Words.begin() + y * 800 + r.Left, page.Words.begin() + y * 800 + r.Right, word);
    };
    const auto same = [](const plat::Rect& a, const plat::Rect& b) {
        return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
    };
    backend::Present(page);
    ASSERT_EQ(fake.Shown.size(), 1u);
    EXPECT_TRUE(same(fake.Shown[0], plat::Rect{0, 0, 800, 600})) << "the first picture goes whole";

    const plat::Rect ball = plat::RectAt(10, 12, 6, 6), paddle = plat::RectAt(400, 550, 70, 10);
    fill(ball, 0xFFFF);
    fill(paddle, 0x07E0);
    page.Words[300 * 800 + 799] = 1;  // a pixel at the right edge
    page.Words[302 * 800 + 5] = 1;    // and one at the left, two rows below: one area
    fake.Shown.clear();
    backend::Present(page);
    ASSERT_EQ(fake.Shown.size(), 3u);
    EXPECT_TRUE(same(fake.Shown[0], ball));
    EXPECT_TRUE(same(fake.Shown[1], plat::Rect{5, 300, 800, 303}));
    EXPECT_TRUE(same(fake.Shown[2], paddle));

    // The ball moves on: its old place and its new one, nothing else.
    fill(ball, 0);
    fill(plat::RectAt(13, 15, 6, 6), 0xFFFF);
    fake.Shown.clear();
    backend::Present(page);
    ASSERT_EQ(fake.Shown.size(), 1u);
    EXPECT_TRUE(same(fake.Shown[0], plat::Rect{10, 12, 19, 21}));
    fake.Shown.clear();
    backend::Present(page);
    EXPECT_TRUE(fake.Shown.empty()) << "an unchanged page costs the canvas nothing";
    backend::CloseDisplay();
}

// A voice the game starts is heard at most 40 ms later; the page plays the
// mixer's frames unbroken, none twice or skipped, and rides over a stalled
// page; the mix ahead is made again only when the game changes a voice.
// A canvas the browser dropped and gave back is blank: the whole visible
// page goes to it again, at the next flip or, on a still screen, the next
// polled wait.
TEST_F(WebBackend, ALostCanvasGetsTheWholePictureAgain) {
    ASSERT_TRUE(backend::OpenWindow("Qorb", 800, 600));
    plat::Surface* primary = nullptr;
    plat::Surface* back = nullptr;
    ASSERT_TRUE(plat::DisplayCreate() && plat::DisplaySetMode(800, 600, 16));
    ASSERT_TRUE(plat::DisplayCreatePrimary(&primary) && plat::DisplayGetBackBuffer(&back));
    back->Words[10] = 7;
    ASSERT_TRUE(plat::Flip());
    const auto whole = [] {
        return !fake.Shown.empty() && fake.Shown.back().Left == 0 && fake.Shown.back().Top == 0 &&
               fake.Shown.back().Right == 800 && fake.Shown.back().Bottom == 600;
    };
    fake.Shown.clear();
    backend::Sleep(1000);
    EXPECT_TRUE(fake.Shown.empty()) << "nothing lost, nothing shown";
    fake.PictureLost = true;
    backend::Sleep(1000);
    EXPECT_TRUE(whole()) << "a still screen, lost: shown whole at the next wait";
    fake.Shown.clear();
    fake.PictureLost = true;
    ASSERT_TRUE(plat::Flip());
    EXPECT_TRUE(whole()) << "lost before a flip: the flip shows all of it";
    fake.Shown.clear();
    ASSERT_TRUE(plat::Flip());
    EXPECT_FALSE(whole()) << "and then only what changes again";
}

// The pads the page reads reach the core as they stand: a press plays, a
// tab in the background holds them at rest, an unplugged one is let go.
TEST_F(WebBackend, PadsThePageReadsReachTheCoreAtRestInTheBackground) {
    ASSERT_TRUE(backend::OpenWindow("Qorb", 320, 200));
    ASSERT_TRUE(plat::InputCreate());
    using plat::core::PadBit, plat::core::PadButton;
    backend::PumpEvents();
    EXPECT_EQ(plat::core::PlayingPad(), -1);
    fake.Pads = {plat::web::page::PadState{3, 1, {0, 0, 0, 0}, PadBit(PadButton::South)}};
    EXPECT_TRUE(plat::KeyDown(plat::Key::Enter)) << "the south button is Enter";
    EXPECT_EQ(plat::core::PlayingPad(), 3);
    fake.Active = false;
    EXPECT_FALSE(plat::KeyDown(plat::Key::Enter)) << "in the background the pad is at rest";
    fake.Active = true;
    EXPECT_TRUE(plat::KeyDown(plat::Key::Enter));
    fake.Pads = {plat::web::page::PadState{3, 0, {0, 0, 0, 0}, 0}};
    EXPECT_FALSE(plat::KeyDown(plat::Key::Enter)) << "unplugged, it lets go";
    EXPECT_EQ(plat::core::PlayingPad(), -1);
}

TEST_F(WebBackend, TheSoundIsTheMixUnbrokenSoonAfterEachVoiceAndThroughStalls) {
    ASSERT_TRUE(plat::SoundCreate());
    const auto voice = [](uint32_t frames, auto sample) {
        std::vector<uint8_t> bytes(size_t{frames} * plat::SoundBytesPerFrame);
        for (uint32_t f = 0; f < frames; ++f)
            for (int c = 0; c < 2; ++c) {
                const auto v = static_cast<uint16_t>(sample(f));
                bytes[4 * f + 2 * c] = static_cast<uint8_t>(v);
                bytes[4 * f + 2 * c + 1] = static_cast<uint8_t>(v >> 8);
            }
        plat::SoundBuffer* b = plat::SoundCreateBuffer(static_cast<uint32_t>(bytes.size()));
        EXPECT_TRUE(plat::SoundWrite(b, bytes.data(), static_cast<uint32_t>(bytes.size())));
        return b;
    };
    // A ramp that runs through the test, and a beep that stands above it.
    plat::SoundBuffer* ramp = voice(44100 * 3, [](uint32_t f) { return static_cast<int16_t>(f % 5000); });
    plat::SoundBuffer* beep = voice(2000, [](uint32_t) { return int16_t{10000}; });
    const auto run = [](double ms) {
        for (const double end = fake.Now + ms; fake.Now < end;) backend::Sleep(1000);
    };
    const auto beeps = [] {
        size_t n = 0;
        for (size_t i = 0; i < fake.Heard.size(); i += 2) n += fake.Heard[i] >= 10000;
        return n;
    };

    fake.AudioRunning = true;
    fake.AudioFrom = fake.Now;
    plat::SoundPlay(ramp);
    run(200);
    fake.Now += 300;  // the page stalls: the mix ahead plays on
    run(200);
    const uint64_t startedAt = DeviceFrame();
    plat::SoundSetPosition(beep, 0);
    plat::SoundPlay(beep);
    run(300);
    Hear();
    EXPECT_EQ(fake.Underruns, 0u) << "the sound ran dry";
    EXPECT_EQ(fake.Late, 0u);
    EXPECT_EQ(beeps(), 2000u) << "the beep is heard whole";
    // The first frame heard is the device's LeadFrames.
    size_t first = 0;
    while (first < fake.Heard.size() && fake.Heard[first] < 10000) first += 2;
    const double heardAfterMs = static_cast<double>(plat::web::AudioFeed::LeadFrames + first / 2 - startedAt) / 44.1;
    EXPECT_GT(heardAfterMs, 0);
    EXPECT_LE(heardAfterMs, 40);
    for (size_t i = 2; i < fake.Heard.size(); i += 2) {
        const auto ramped = [](int16_t v) { return v >= 10000 ? v - 10000 : v; };
        ASSERT_EQ(ramped(fake.Heard[i]), (ramped(fake.Heard[i - 2]) + 1) % 5000) << "broken at frame " << i / 2;
        ASSERT_EQ(fake.Heard[i], fake.Heard[i + 1]);
    }
    const uint64_t heard = fake.Heard.size() / 2;
    EXPECT_LE(fake.AudioTotal, heard + 3 * (plat::web::AudioFeed::AheadFrames + plat::web::AudioFeed::LeadFrames))
        << "the mix ahead was made again without a change";
    EXPECT_EQ(fake.LateChanges, 0);

    // The page stalls between a voice's start and the next look at the
    // sound: the beep comes late, but whole, and the sound does not break off.
    plat::SoundSetPosition(beep, 0);
    plat::SoundPlay(beep);
    fake.Now += 60;
    run(300);
    Hear();
    EXPECT_EQ(fake.LateChanges, 1);
    EXPECT_EQ(beeps(), 4000u);
    EXPECT_EQ(fake.Underruns, 0u);
    EXPECT_EQ(fake.Late, 0u);

    // A closed device falls silent at once: what it held ahead is dropped.
    plat::SoundRelease();
    EXPECT_LE(fake.HeldEnd, DeviceFrame());
}

// The page stalls for a little, for longer than it holds, and for far
// longer: the mix it held plays on; past its end the page plays silence for
// exactly the frames it was never sent (up to a margin after where it stood
// when next looked at), and then the mix follows on with no frame of the
// mixer's heard twice or skipped.
TEST_F(WebBackend, AStalledPageFallsSilentForExactlyWhatItWasNeverSent) {
    ASSERT_TRUE(plat::SoundCreate());
    constexpr uint32_t Frames = 44100 * 8;
    std::vector<uint8_t> bytes(size_t{Frames} * plat::SoundBytesPerFrame);
    for (uint32_t f = 0; f < Frames; ++f)
        for (int c = 0; c < 2; ++c) {
            const auto v = static_cast<uint16_t>(f % 30000);
            bytes[4 * f + 2 * c] = static_cast<uint8_t>(v);
            bytes[4 * f + 2 * c + 1] = static_cast<uint8_t>(v >> 8);
        }
    plat::SoundBuffer* ramp = plat::SoundCreateBuffer(static_cast<uint32_t>(bytes.size()));
    ASSERT_TRUE(plat::SoundWrite(ramp, bytes.data(), static_cast<uint32_t>(bytes.size())));
    const auto run = [](double ms) {
        for (const double end = fake.Now + ms; fake.Now < end;) backend::Sleep(1000);
    };
    fake.AudioRunning = true;
    fake.AudioFrom = fake.Now;
    plat::SoundPlay(ramp);
    run(300);
    for (const double stallMs : {200.0, 700.0, 3000.0}) {
        SCOPED_TRACE("a stall of " + std::to_string(static_cast<int>(stallMs)) + " ms");
        Hear();
        const uint64_t underruns = fake.Underruns, heldEnd = fake.HeldEnd;
        fake.Now += stallMs;
        const uint64_t lookedAt = DeviceFrame() + plat::web::AudioFeed::MarginFrames;
        run(300);
        Hear();
        EXPECT_EQ(lookedAt > heldEnd, stallMs > 600) << "half a second is held ahead";
        EXPECT_EQ(fake.Underruns - underruns, lookedAt > heldEnd ? lookedAt - heldEnd : 0);
        EXPECT_EQ(fake.Late, 0u);
    }
    ASSERT_GT(fake.Heard.size(), 2u);
    for (size_t i = 2; i < fake.Heard.size(); i += 2)
        ASSERT_EQ(fake.Heard[i], (fake.Heard[i - 2] + 1) % 30000) << "broken at frame " << i / 2;
}

}  // namespace
