// The headless back end: a display, sound device, mouse, keyboard and clock
// that live in memory and run on virtual time.
#include "platform/headless/headless.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/core.h"
#include "platform/platform.h"

namespace plat {
namespace {

struct Event {
    uint64_t AtMicros = 0;
    uint64_t Order = 0;  // events at one time keep their scheduling order
    enum class Kind { Move, Button, Key, Close } What = Kind::Move;
    int32_t Dx = 0, Dy = 0;
    int Index = 0;  // button or key
    bool Down = false;
};

struct State {
    headless::Config Config;
    uint64_t Now = 0;  // microseconds of virtual time
    uint64_t EventCounter = 0;
    std::vector<Event> Timeline;  // sorted by time, then order
    std::map<headless::Step, uint32_t> Failures;
    headless::Devices Live;
    int32_t DisplayWidth = 0, DisplayHeight = 0;
    MouseState Mouse;
    std::array<bool, 4> Keys{};
    std::vector<int16_t> Audio;
    std::function<void(uint64_t)> FlipObserver;
    std::function<void(uint64_t)> ClockObserver;
};

State state;

// Frames of sound played by a virtual time, so that buffers end exactly
// after bytes / 176400 seconds.
uint64_t FramesAt(uint64_t micros) { return micros * SoundRate / 1000000; }

bool Failing(headless::Step step, const char* what) {
    auto it = state.Failures.find(step);
    if (it == state.Failures.end() || it->second == 0) return false;
    if (it->second != UINT32_MAX) --it->second;
    core::SetLastError(std::string(what) + " failed (made to fail by the headless back end)");
    return true;
}

void Apply(const Event& e) {
    switch (e.What) {
        case Event::Kind::Move:
            state.Mouse.X += e.Dx;
            state.Mouse.Y += e.Dy;
            break;
        case Event::Kind::Button:
            if (e.Index >= 0 && e.Index < 4) state.Mouse.Buttons[e.Index] = e.Down ? 0x80 : 0;
            break;
        case Event::Kind::Key: state.Keys[static_cast<size_t>(e.Index)] = e.Down; break;
        case Event::Kind::Close: PostMessage(MsgClose, 0, 0); break;
    }
}

void ApplyDueEvents() {
    auto& t = state.Timeline;
    size_t due = 0;
    while (due < t.size() && t[due].AtMicros <= state.Now) Apply(t[due++]);
    t.erase(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(due));
}

void Schedule(Event e) {
    e.Order = state.EventCounter++;
    auto at = std::upper_bound(state.Timeline.begin(), state.Timeline.end(), e, [](const Event& a, const Event& b) {
        return a.AtMicros != b.AtMicros ? a.AtMicros < b.AtMicros : a.Order < b.Order;
    });
    state.Timeline.insert(at, e);
    ApplyDueEvents();
}

void MoveClockTo(uint64_t micros) {
    if (micros <= state.Now) return;
    const uint64_t frames = FramesAt(micros) - FramesAt(state.Now);
    state.Now = micros;
    if (state.Config.CaptureAudio) {
        const size_t at = state.Audio.size();
        state.Audio.resize(at + frames * 2);
        core::MixFrames(state.Audio.data() + at, static_cast<uint32_t>(frames));
    } else if (core::LiveSoundBufferCount() > 0) {
        // Long jumps (a test crossing days of ticks) go in pieces the mixer can count.
        for (uint64_t left = frames; left > 0;) {
            const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(left, UINT32_MAX));
            core::AdvanceFrames(piece);
            left -= piece;
        }
    }
    ApplyDueEvents();
    if (state.ClockObserver) state.ClockObserver(state.Now);
}

}  // namespace

// --- the back end's half of the layer -------------------------------------

namespace backend {
void PrimaryUpdated(const Rect&) {}
// Virtual time moves every buffer as it goes; there is nothing to catch up.
void BeforeSoundChange() {}
}  // namespace backend

uint32_t Ticks() { return state.Config.StartTicks + static_cast<uint32_t>(state.Now / 1000); }
void Idle() { MoveClockTo(state.Now + 1000); }
int64_t Time() { return state.Config.StartSeconds + static_cast<int64_t>(state.Now / 1000000); }

int ShowCursor(bool show) {
    state.Live.CursorCount += show ? 1 : -1;
    return state.Live.CursorCount;
}

bool RegisterWindowClass(const char* className) {
    if (className == nullptr || Failing(headless::Step::WindowClass, "RegisterWindowClass")) return false;
    state.Live.WindowClass = true;
    return true;
}

bool CreateMainWindow(const char* className, const char*, int32_t, int32_t, int32_t, int32_t) {
    if (!state.Live.WindowClass || className == nullptr) {
        core::SetLastError("CreateMainWindow: the window class is not registered");
        return false;
    }
    if (Failing(headless::Step::Window, "CreateMainWindow")) return false;
    state.Live.Window = true;
    return true;
}

bool DisplayCreate() {
    if (Failing(headless::Step::DisplayCreate, "DisplayCreate")) return false;
    state.Live.Display = true;
    return true;
}

bool DisplaySetCooperativeLevel() {
    return state.Live.Display && !Failing(headless::Step::DisplayCooperativeLevel, "DisplaySetCooperativeLevel");
}

bool DisplaySetMode(int32_t width, int32_t height, int32_t bitsPerPixel) {
    if (!state.Live.Display || Failing(headless::Step::DisplayMode, "DisplaySetMode")) return false;
    if (width <= 0 || height <= 0 || bitsPerPixel != 16) {
        core::SetLastError("DisplaySetMode: only 16-bit modes exist");
        return false;
    }
    state.DisplayWidth = width;
    state.DisplayHeight = height;
    state.Live.DisplayModeSet = true;
    return true;
}

bool DisplayCreatePrimary(Surface** primary) {
    if (!state.Live.DisplayModeSet || primary == nullptr ||
        Failing(headless::Step::PrimarySurface, "DisplayCreatePrimary"))
        return false;
    *primary = core::MakeFlipChain(state.DisplayWidth, state.DisplayHeight);
    return *primary != nullptr;
}

bool DisplayGetBackBuffer(Surface** backBuffer) {
    return !Failing(headless::Step::BackBuffer, "DisplayGetBackBuffer") && core::GetBackBuffer(backBuffer);
}

bool DisplayGetPixelFormat(PixelFormat* format) {
    if (core::Chain().Primary == nullptr || format == nullptr ||
        Failing(headless::Step::PixelFormat, "DisplayGetPixelFormat"))
        return false;
    format->RgbBitCount = state.Config.RgbBitCount;
    const bool wide = DisplayWordLayout() == WordLayout::Rgb565;
    format->RedMask = wide ? 0xF800 : 0x7C00;
    format->GreenMask = wide ? 0x07E0 : 0x03E0;
    format->BlueMask = 0x001F;
    return true;
}

bool DisplayCreateSurface(int32_t width, int32_t height, Surface** surface) {
    if (!state.Live.Display || surface == nullptr || Failing(headless::Step::OffscreenSurface, "DisplayCreateSurface"))
        return false;
    Surface* made = core::NewSurface(width, height);
    if (made == nullptr) return false;
    *surface = made;
    return true;
}

void ReleaseSurface(Surface* surface) { core::FreeSurface(surface); }

void DisplayRelease() {
    core::FreeAllSurfaces();
    state.Live.Display = false;
    state.Live.DisplayModeSet = false;
}

bool Flip() {
    auto& chain = core::Chain();
    if (chain.Primary == nullptr || chain.Back == nullptr || chain.Primary->Locked || chain.Back->Locked ||
        Failing(headless::Step::Flip, "Flip"))
        return false;
    core::SwapChain();
    core::CountFlip();
    // The emulated display takes a picture at each 1/60 s boundary.
    const uint64_t next = state.Now * 60 / 1000000 + 1;
    MoveClockTo((next * 1000000 + 59) / 60);
    if (state.FlipObserver) state.FlipObserver(GetStats().Flips);
    return true;
}

bool SoundCreate() {
    if (Failing(headless::Step::SoundCreate, "SoundCreate")) return false;
    state.Live.Sound = true;
    return true;
}

// Virtual time plays every buffer anyway; nothing is heard headless.
bool SoundCreateSilent() {
    state.Live.Sound = true;
    state.Live.SoundSilent = true;
    return true;
}

bool SoundSetCooperativeLevel() {
    return state.Live.Sound && !Failing(headless::Step::SoundCooperativeLevel, "SoundSetCooperativeLevel");
}

bool SoundCreatePrimaryBuffer() {
    if (!state.Live.Sound || Failing(headless::Step::SoundPrimaryBuffer, "SoundCreatePrimaryBuffer")) return false;
    state.Live.SoundPrimary = true;
    return true;
}

bool SoundSetFormat(uint32_t rate, uint32_t channels, uint32_t bits) {
    if (!state.Live.SoundPrimary || Failing(headless::Step::SoundFormat, "SoundSetFormat")) return false;
    return rate == SoundRate && channels == 2 && bits == 16;
}

SoundBuffer* SoundCreateBuffer(uint32_t bytes) {
    if (!state.Live.Sound) {
        core::SetLastError("SoundCreateBuffer: no sound device");
        return nullptr;
    }
    if (Failing(headless::Step::SoundBuffer, "SoundCreateBuffer")) return nullptr;
    return core::NewSoundBuffer(bytes);
}

void SoundRelease() {
    core::FreeAllSoundBuffers();
    state.Live.Sound = false;
    state.Live.SoundSilent = false;
    state.Live.SoundPrimary = false;
}

bool InputCreate() {
    if (Failing(headless::Step::InputCreate, "InputCreate")) return false;
    state.Live.Input = true;
    return true;
}

bool MouseCreate() {
    if (!state.Live.Input || Failing(headless::Step::MouseCreate, "MouseCreate")) return false;
    state.Live.Mouse = true;
    return true;
}

bool MouseSetCooperativeLevel() {
    return state.Live.Mouse && !Failing(headless::Step::MouseCooperativeLevel, "MouseSetCooperativeLevel");
}

bool MouseSetDataFormat() {
    return state.Live.Mouse && !Failing(headless::Step::MouseDataFormat, "MouseSetDataFormat");
}

bool MouseAcquire() {
    if (!state.Live.Mouse || Failing(headless::Step::MouseAcquire, "MouseAcquire")) return false;
    state.Live.MouseAcquired = true;
    return true;
}

void MouseUnacquire() { state.Live.MouseAcquired = false; }

void MouseRelease() {
    state.Live.Mouse = false;
    state.Live.MouseAcquired = false;
}

void InputRelease() { state.Live.Input = false; }

bool MouseRead(MouseState* out) {
    if (out == nullptr || !state.Live.MouseAcquired) {
        core::SetLastError("MouseRead: the mouse is not acquired");
        return false;
    }
    if (Failing(headless::Step::MouseRead, "MouseRead")) return false;
    *out = state.Mouse;
    state.Mouse.X = state.Mouse.Y = state.Mouse.Z = 0;
    return true;
}

bool KeyDown(Key key) { return state.Keys[static_cast<size_t>(key)]; }

// --- control --------------------------------------------------------------

namespace headless {

void Reset(const Config& config) {
    core::FreeAllSurfaces();
    core::FreeAllSoundBuffers();
    core::ClearMessages();
    ResetStats();
    state = State{};
    state.Config = config;
}

uint64_t NowMicros() { return state.Now; }
void AdvanceMicros(uint64_t micros) { MoveClockTo(state.Now + micros); }
void AdvanceMs(uint32_t ms) { AdvanceMicros(uint64_t{ms} * 1000); }

void FailStep(Step step, uint32_t times) { state.Failures[step] = times; }
void ClearFailures() { state.Failures.clear(); }

void ScheduleMouseMove(uint64_t atMs, int32_t dx, int32_t dy) {
    Schedule(Event{atMs * 1000, 0, Event::Kind::Move, dx, dy, 0, false});
}
void ScheduleButton(uint64_t atMs, int button, bool down) {
    Schedule(Event{atMs * 1000, 0, Event::Kind::Button, 0, 0, button, down});
}
void ScheduleKey(uint64_t atMs, Key key, bool down) {
    Schedule(Event{atMs * 1000, 0, Event::Kind::Key, 0, 0, static_cast<int>(key), down});
}
void ScheduleClose(uint64_t atMs) { Schedule(Event{atMs * 1000, 0, Event::Kind::Close, 0, 0, 0, false}); }

Devices Live() {
    Devices live = state.Live;
    live.Surfaces = core::LiveSurfaceCount();
    live.SoundBuffers = core::LiveSoundBufferCount();
    return live;
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

void SetFlipObserver(std::function<void(uint64_t)> observer) { state.FlipObserver = std::move(observer); }
void SetClockObserver(std::function<void(uint64_t)> observer) { state.ClockObserver = std::move(observer); }

}  // namespace headless
}  // namespace plat
