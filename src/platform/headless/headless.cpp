// The headless back end: a display, sound device, mouse, keyboard and clock
// that live in memory and run on virtual time.
#include "platform/headless/headless.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/input_timeline.h"
#include "platform/platform.h"

namespace plat {
namespace {

struct State {
    headless::Config Config;
    uint64_t Now = 0;  // microseconds of virtual time
    core::InputTimeline Timeline;
    std::vector<backend::PresentResult> Presents;  // scripted, next first
    std::vector<backend::RestoreResult> Restores;
    uint64_t RestoreMicros = 0;
    bool AudioOpen = false;
    std::vector<int16_t> Audio;
    std::function<void(uint64_t)> ClockObserver;
};

State state;

// Frames of sound played by a virtual time, so that buffers end exactly
// after bytes / 176400 seconds.
uint64_t FramesAt(uint64_t micros) { return micros * SoundRate / 1000000; }

// The device plays as virtual time goes by.
void MoveClockTo(uint64_t micros) {
    if (micros <= state.Now) return;
    const uint64_t frames = FramesAt(micros) - FramesAt(state.Now);
    state.Now = micros;
    if (state.AudioOpen && state.Config.CaptureAudio) {
        const size_t at = state.Audio.size();
        state.Audio.resize(at + frames * 2);
        core::MixFrames(state.Audio.data() + at, static_cast<uint32_t>(frames));
    } else if (state.AudioOpen && core::LiveSoundBufferCount() > 0) {
        // Long jumps (a test crossing days of ticks) go in pieces the mixer can count.
        for (uint64_t left = frames; left > 0;) {
            const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(left, UINT32_MAX));
            core::AdvanceFrames(piece);
            left -= piece;
        }
    }
    state.Timeline.FeedDue(state.Now);
    if (state.ClockObserver) state.ClockObserver(state.Now);
}

}  // namespace

// --- the back end's primitives --------------------------------------------------

namespace backend {

bool OpenWindow(const char*, int32_t, int32_t) { return true; }
// The timeline applies events as the clock reaches them.
void PumpEvents() {}
void SetCursorVisible(bool) {}

bool OpenDisplay(int32_t, int32_t, PixelFormat* format) {
    format->RgbBitCount = state.Config.RgbBitCount;
    const bool wide = DisplayWordLayout() == WordLayout::Rgb565;
    format->RedMask = wide ? 0xF800 : 0x7C00;
    format->GreenMask = wide ? 0x07E0 : 0x03E0;
    format->BlueMask = 0x001F;
    return true;
}

void CloseDisplay() {}

// The emulated display takes a picture at each 1/60 s boundary.
PresentResult Present(const Surface&) {
    if (!state.Presents.empty()) {
        const PresentResult scripted = state.Presents.front();
        state.Presents.erase(state.Presents.begin());
        if (scripted != PresentResult::Shown) {
            if (scripted == PresentResult::Failed) core::SetLastError("Present failed (scripted by a test)");
            return scripted;
        }
    }
    const uint64_t next = state.Now * 60 / 1000000 + 1;
    MoveClockTo((next * 1000000 + 59) / 60);
    return PresentResult::Shown;
}

RestoreResult RestoreDisplay() {
    MoveClockTo(state.Now + state.RestoreMicros);
    if (state.Restores.empty()) return RestoreResult::Restored;
    const RestoreResult scripted = state.Restores.front();
    state.Restores.erase(state.Restores.begin());
    return scripted;
}
void ShowArea(const Surface&, const Rect&) {}

bool OpenAudio() {
    state.AudioOpen = true;
    return true;
}

void CloseAudio() { state.AudioOpen = false; }

bool OpenInput() { return true; }
void CloseInput() {}
bool CaptureMouse(bool) { return true; }

uint32_t Ticks() { return state.Config.StartTicks + static_cast<uint32_t>(state.Now / 1000); }
uint64_t NowMicros() { return state.Now; }
void Sleep(uint32_t micros) { MoveClockTo(state.Now + micros); }
int64_t CalendarSeconds() { return state.Config.StartSeconds + static_cast<int64_t>(state.Now / 1000000); }

void ReportFatal(const std::string& message) { std::fprintf(stderr, "qorb: %s\n", message.c_str()); }

}  // namespace backend

// --- control --------------------------------------------------------------

namespace headless {

void Reset(const Config& config) {
    core::ResetAll();
    state = State{};
    state.Config = config;
}

uint64_t NowMicros() { return state.Now; }
void AdvanceMicros(uint64_t micros) { MoveClockTo(state.Now + micros); }
void AdvanceMs(uint32_t ms) { AdvanceMicros(uint64_t{ms} * 1000); }

// An event at or before the current time takes effect at once.
void Schedule(const TimedInput& event) {
    state.Timeline.Add(event);
    state.Timeline.FeedDue(state.Now);
}
size_t PendingEvents() { return state.Timeline.Pending(); }

void ScriptPresents(std::vector<backend::PresentResult> results) { state.Presents = std::move(results); }

void ScriptRestores(std::vector<backend::RestoreResult> results, uint64_t restoreMicros) {
    state.Restores = std::move(results);
    state.RestoreMicros = restoreMicros;
}

Surface* Primary() { return core::Chain().Primary; }
Surface* Back() { return core::Chain().Back; }

std::vector<uint8_t> PrimaryRgb() {
    std::vector<uint8_t> rgb;
    const Surface* s = core::Chain().Primary;
    if (s == nullptr) return rgb;
    rgb.resize(static_cast<size_t>(s->Width) * static_cast<size_t>(s->Height) * 3);
    const WordLayout layout = DisplayWordLayout();
    uint8_t* out = rgb.data();
    for (int32_t y = 0; y < s->Height; ++y)
        for (int32_t x = 0; x < s->Width; ++x, out += 3)
            WordToRgb(s->Words[static_cast<size_t>(y) * s->PitchWords + x], layout, out);
    return rgb;
}

const std::vector<int16_t>& CapturedAudio() { return state.Audio; }

void SetFlipObserver(std::function<void(uint64_t)> observer) { core::SetFlipObserver(std::move(observer)); }
void SetClockObserver(std::function<void(uint64_t)> observer) { state.ClockObserver = std::move(observer); }

}  // namespace headless
}  // namespace plat
