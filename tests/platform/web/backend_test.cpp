// The browser back end on a simulated page: a frame clock of any rate, a tab
// that can be hidden, Web Audio that starts late, and the page's input queue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>

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
    bool AudioRunning = false;
    uint32_t AudioQueued = 0;  // frames queued and not yet heard
    uint64_t AudioTotal = 0;
    int Dozes = 0;
    double InputAt = 1e18;   // when an input event arrives and wakes a doze
    uint32_t QueuedMax = 0;  // the most ever queued ahead
    int Shows = 0;
    int LastShowRows = 0;
    std::deque<plat::InputEvent> Input;
};
FakePage fake;

}  // namespace

namespace plat::web::page {

void OpenCanvas(int32_t, int32_t) {}
void ShowRgba(const uint8_t*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t h) {
    ++fake.Shows;
    fake.LastShowRows = h;
}
void SetCursorVisible(bool) {}
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
    if (fake.AudioRunning) {
        const uint32_t heard = static_cast<uint32_t>((until - fake.Now) * 44.1);
        fake.AudioQueued -= std::min(heard, fake.AudioQueued);
    }
    fake.Now = until;
}
bool Active() { return fake.Active; }
void WaitUntilActive() {
    fake.Now = std::max(fake.Now, fake.ActiveAgainAt);
    fake.Active = true;
}
int32_t TakeInput(plat::InputEvent* events, int32_t capacity) {
    int32_t n = 0;
    for (; n < capacity && !fake.Input.empty(); ++n) {
        events[n] = fake.Input.front();
        fake.Input.pop_front();
    }
    return n;
}
void WantPointerLock(bool) {}
bool PointerLocked() { return true; }
bool AudioRunning() { return fake.AudioRunning; }
uint32_t AudioQueuedFrames() { return fake.AudioQueued; }
void QueueAudio(const int16_t*, uint32_t count) {
    fake.AudioQueued += count;
    fake.AudioTotal += count;
    fake.QueuedMax = std::max(fake.QueuedMax, fake.AudioQueued);
}
void Progress(double, const char*) {}
void Ended(int32_t) {}
void Fatal(const char*) {}
void PlayState(int32_t) {}
void SetFigure(const char*, double) {}

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

TEST_F(WebBackend, SixtyFlipsASecondOnAnyScreenFrozenWhileTheTabIsHidden) {
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
        backend::CloseDisplay();
    }
}

TEST_F(WebBackend, VoicesKeepTimeBeforeTheFirstGestureAndInputReachesTheGame) {
    ASSERT_TRUE(plat::SoundCreate());
    plat::SoundBuffer* voice = plat::SoundCreateBuffer(plat::SoundBytesPerSecond * 2);
    ASSERT_NE(voice, nullptr);
    ASSERT_TRUE(plat::SoundPlay(voice));
    // No gesture yet: nothing is queued, yet the voice moves on with the clock.
    const double start = fake.Now;
    while (fake.Now < start + 500) backend::Sleep(1000);
    const double pumpedAt = fake.Now;  // a sleep tops up first, then dozes
    backend::Sleep(0);
    EXPECT_EQ(fake.AudioTotal, 0u);
    const auto due = static_cast<uint32_t>(static_cast<uint64_t>(pumpedAt * 1000 - start * 1000) * 44100 / 1000000);
    EXPECT_EQ(plat::SoundGetPosition(voice), due * plat::SoundBytesPerFrame);
    // The page's audio runs: the mix goes out a little ahead, and no further.
    fake.AudioRunning = true;
    const uint32_t before = plat::SoundGetPosition(voice);
    backend::Sleep(1000);
    EXPECT_EQ(fake.AudioTotal, plat::web::AudioFeed::LeadFrames);
    EXPECT_EQ(plat::SoundGetPosition(voice) - before, plat::web::AudioFeed::LeadFrames * plat::SoundBytesPerFrame);
    // Over a second of polled waits the page never runs dry, nor gets more
    // than the lead ahead; the lead is under 40 ms.
    for (const double end = fake.Now + 1000; fake.Now < end;) {
        backend::Sleep(1000);
        EXPECT_GT(fake.AudioQueued, 0u) << "the sound ran dry at " << fake.Now;
    }
    EXPECT_LE(fake.QueuedMax, plat::web::AudioFeed::LeadFrames);
    EXPECT_LT(plat::web::AudioFeed::LeadFrames, 44100u * 40 / 1000);

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
    // Once let go, the mouse's motion is the page's, not the game's.
    plat::MouseUnacquire();
    fake.Input = {plat::MotionEvent(50, 0)};
    ASSERT_TRUE(plat::MouseAcquire());
    ASSERT_TRUE(plat::MouseRead(&mouse));
    EXPECT_EQ(mouse.X, 0);
}

TEST_F(WebBackend, APolledWaitDozesUntilAnEventOrItsDeadline) {
    // The title's wait: ten milliseconds polled, a hundred times.
    const auto wait = [](uint32_t ms) {
        const uint32_t from = backend::Ticks();
        while (backend::Ticks() - from < ms) backend::Sleep(1000);
    };
    // Before the page's sound runs, and while it runs (and needs topping up).
    ASSERT_TRUE(plat::SoundCreate());
    for (const bool heard : {false, true}) {
        fake = FakePage{};
        fake.AudioRunning = heard;
        const uint32_t doze = heard ? plat::web::DozeMs : plat::web::SilentDozeMs;
        const double start = fake.Now;
        const int dozes = fake.Dozes;
        for (int i = 0; i < 100; ++i) wait(10);
        const double took = fake.Now - start;
        // Each wait ends at most one doze after its deadline...
        EXPECT_GE(took, 1000);
        EXPECT_LE(took, 100 * (10 + doze + 1)) << heard;
        // ...with one or two wake-ups, not one a millisecond.
        EXPECT_LE(fake.Dozes - dozes, 100 * (heard ? 2 : 1)) << heard;
        if (heard) {
            EXPECT_GT(fake.AudioQueued, 0u) << "the sound ran dry";
        }
    }
    // An input event ends the doze at once.
    fake = FakePage{};
    fake.InputAt = fake.Now + 2;
    backend::Sleep(1000);
    EXPECT_DOUBLE_EQ(fake.Now, fake.InputAt);
}

}  // namespace
