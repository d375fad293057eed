// The browser back end: the page's canvas, frame clock, Web Audio, mouse and
// keys (web/page.js, reached through page.h). The program runs on the
// browser's one thread; the calls that wait suspend it through Asyncify and
// let the page run meanwhile.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/input_timeline.h"
#include "platform/platform.h"
#include "platform/web/pacing.h"
#include "platform/web/page.h"
#include "platform/web/rgba_page.h"
#include "platform/web/web_backend.h"

namespace plat {
namespace web {
namespace {

struct Backend {
    bool Window = false;
    // Display
    FramePacer Pacer;
    RgbaPage Rgba;
    std::vector<uint16_t> OnScreen;  // the words the canvas shows
    bool PrimaryPending = false;     // a draw on the primary waits to be shown
    uint64_t LastShown = 0;
    // Sound
    bool Audio = false;
    AudioFeed Feed;
    std::vector<int16_t> Mix;
    // Input
    bool Captured = false;
    core::InputTimeline Scheduled;
    void (*PumpHook)() = nullptr;
};
Backend s;

// A draw straight onto the visible page shows within one sixtieth.
constexpr uint64_t PendingMicros = 16667;

// Puts the rows of `page` that differ from what the canvas holds on it; a
// still title costs a comparison, not a conversion.
void Show(const Surface& page) {
    s.PrimaryPending = false;
    s.LastShown = backend::NowMicros();
    const size_t pitch = static_cast<size_t>(std::max(page.PitchWords, 0));
    const int32_t width = std::min(page.Width, page.PitchWords);
    if (width <= 0 || page.Height <= 0 || page.Words.size() < pitch * static_cast<size_t>(page.Height)) return;
    int32_t first = 0, last = page.Height - 1;
    if (s.OnScreen.size() == page.Words.size()) {
        const auto same = [&](int32_t y) {
            const uint16_t* row = page.Words.data() + pitch * static_cast<size_t>(y);
            return std::equal(row, row + width, s.OnScreen.data() + pitch * static_cast<size_t>(y));
        };
        while (first <= last && same(first)) ++first;
        while (last >= first && same(last)) --last;
        if (first > last) return;
    }
    s.OnScreen = page.Words;
    const Rect shown = s.Rgba.Convert(page, DisplayWordLayout(), Rect{0, first, page.Width, last + 1});
    if (shown.Right > shown.Left && shown.Bottom > shown.Top)
        page::ShowRgba(s.Rgba.Bytes(), s.Rgba.Width(), s.Rgba.Height(), shown.Left, shown.Top, shown.Right - shown.Left,
                       shown.Bottom - shown.Top);
}

// Keeps the mix a little ahead of what the page plays; until the page's audio
// runs, moves the voices on by the clock, as a device nobody hears would.
void PumpAudio() {
    if (!s.Audio) return;
    const std::optional<uint32_t> queued =
        page::AudioRunning() ? std::optional<uint32_t>(page::AudioQueuedFrames()) : std::nullopt;
    const AudioStep step = s.Feed.Pump(backend::NowMicros(), queued);
    if (step.Advance > 0) core::AdvanceFrames(step.Advance);
    if (step.Mix > 0) {
        s.Mix.assign(static_cast<size_t>(step.Mix) * 2, 0);
        core::MixFrames(s.Mix.data(), step.Mix);
        page::QueueAudio(s.Mix.data(), step.Mix);
    }
}

void TakeInput() {
    InputEvent events[64];
    for (int32_t count; (count = page::TakeInput(events, 64)) > 0;) {
        for (int32_t i = 0; i < count; ++i) {
            // Motion counts only while the game holds the mouse.
            if (events[i].What == InputEvent::Kind::Motion && !s.Captured) continue;
            core::Feed(events[i]);
        }
    }
}

}  // namespace

void SetPumpHook(void (*hook)()) { s.PumpHook = hook; }
void Schedule(const TimedInput& event) { s.Scheduled.Add(event); }
void SetFlipObserver(std::function<void(uint64_t flips)> observer) { core::SetFlipObserver(std::move(observer)); }

}  // namespace web

using web::s;

namespace backend {

bool OpenWindow(const char*, int32_t, int32_t) {
    s.Window = true;
    return true;
}

// Every key, mouse and idle poll of the game comes here: the sound is topped
// up too, so that it runs dry only if the game makes no call for its lead.
void PumpEvents() {
    web::PumpAudio();
    web::TakeInput();
    s.Scheduled.FeedDue(uint64_t{Ticks()} * 1000);
    if (s.PumpHook != nullptr) s.PumpHook();
    if (s.PrimaryPending && NowMicros() - s.LastShown >= web::PendingMicros) {
        if (const Surface* primary = core::Chain().Primary) web::Show(*primary);
    }
}

void SetCursorVisible(bool visible) { web::page::SetCursorVisible(visible); }

bool OpenDisplay(int32_t width, int32_t height, PixelFormat* format) {
    if (!s.Window) {
        core::SetLastError("DisplaySetMode: no window");
        return false;
    }
    web::page::OpenCanvas(width, height);
    s.OnScreen.clear();
    s.Pacer.Restart();
    const bool wide = DisplayWordLayout() == WordLayout::Rgb565;
    *format = PixelFormat{wide ? 16u : 15u, wide ? 0xF800u : 0x7C00u, wide ? 0x07E0u : 0x03E0u, 0x001Fu};
    return true;
}

void CloseDisplay() {
    s.OnScreen.clear();
    s.PrimaryPending = false;
}

// Frozen while the tab is hidden or unfocused, as the Linux game is in the
// background; sixty flips a second on a screen of any refresh rate.
PresentResult Present(const Surface& page) {
    PumpEvents();
    if (!web::page::Active()) {
        web::page::WaitUntilActive();
        s.Pacer.Restart();   // no racing to make up the frozen time
        s.OnScreen.clear();  // the canvas may have been dropped meanwhile
    }
    web::Show(page);
    if (s.Pacer.Flip(web::page::NowMs()) == web::FramePacer::Wait::Yield) {
        web::page::Sleep(0);
    } else {
        // The sound is topped up while the flip waits, however late the frames.
        for (double stamp = -1; stamp < 0 || !s.Pacer.Frame(stamp);) {
            stamp = web::page::NextFrameWithin(web::DozeMs);
            web::PumpAudio();
        }
    }
    web::PumpAudio();
    return PresentResult::Shown;
}

// The pages live in the module's memory: nothing of them is ever lost.
RestoreResult RestoreDisplay() { return RestoreResult::Restored; }

void ShowArea(const Surface&, const Rect&) {
    s.PrimaryPending = true;
    PumpEvents();
}

bool OpenAudio() {
    s.Audio = true;
    s.Feed = web::AudioFeed{};
    return true;
}

void CloseAudio() {
    s.Audio = false;
    s.Mix.clear();
}

bool OpenInput() { return true; }
void CloseInput() { CaptureMouse(false); }

bool CaptureMouse(bool captured) {
    if (captured && !s.Captured) {
        web::TakeInput();  // what came before belongs to no read
        core::ClearMouse();
    }
    s.Captured = captured;
    web::page::WantPointerLock(captured);
    return true;
}

uint32_t Ticks() { return static_cast<uint32_t>(static_cast<uint64_t>(web::page::NowMs())); }
uint64_t NowMicros() { return static_cast<uint64_t>(web::page::NowMs() * 1000.0); }

// Yields to the browser: its events, frames and sound go on meanwhile. The
// game asks for a millisecond between polls; waking for each would suspend
// and resume the module a thousand times a second. It wakes instead at an
// input event, or in time for the sound's next top-up (DozeMs).
void Sleep(uint32_t micros) {
    web::PumpAudio();
    const bool heard = s.Audio && web::page::AudioRunning();
    web::page::Doze(std::max<uint32_t>((micros + 500) / 1000, heard ? web::DozeMs : web::SilentDozeMs));
}

int64_t CalendarSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

// The art is made into /assets, beside the program as the game looks for it.
std::string ExecutableDirectory() { return "/"; }

void ReportFatal(const std::string& message) { web::page::Fatal(message.c_str()); }

}  // namespace backend
}  // namespace plat
