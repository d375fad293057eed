// The null back end: no window, no picture, no sound, no input. Time is the
// real clock, and flips keep the pace of a 60 Hz display, so the game runs
// just as it would on a screen nobody looks at.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>

#include "platform/backend.h"
#include "platform/core.h"

namespace plat::backend {
namespace {
uint64_t nextFrame = 0;
}  // namespace

bool OpenWindow(const char*, int32_t, int32_t) { return true; }
void PumpEvents() {}
void SetCursorVisible(bool) {}

bool OpenDisplay(int32_t, int32_t, PixelFormat* format) {
    const bool wide = DisplayWordLayout() == WordLayout::Rgb565;
    *format = PixelFormat{wide ? 16u : 15u, wide ? 0xF800u : 0x7C00u, wide ? 0x07E0u : 0x03E0u, 0x001Fu};
    nextFrame = 0;
    return true;
}

void CloseDisplay() {}

PresentResult Present(const Surface&) {
    const uint64_t now = NowMicros();
    if (nextFrame > now) Sleep(static_cast<uint32_t>(nextFrame - now));
    nextFrame = std::max(now, nextFrame) + 16667;
    return PresentResult::Shown;
}

RestoreResult RestoreDisplay() { return RestoreResult::Restored; }
void ShowArea(const Surface&, const Rect&) {}

// The game then plays by the silent clock, every sound lasting its length.
bool OpenAudio() {
    core::SetLastError("the null back end has no sound device");
    return false;
}
void CloseAudio() {}

bool OpenInput() { return true; }
void CloseInput() {}
bool CaptureMouse(bool) { return true; }

uint64_t NowMicros() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}
uint32_t Ticks() { return static_cast<uint32_t>(NowMicros() / 1000); }
void Sleep(uint32_t micros) { std::this_thread::sleep_for(std::chrono::microseconds(micros)); }
int64_t CalendarSeconds() { return static_cast<int64_t>(std::time(nullptr)); }
void ReportFatal(const std::string& message) { std::fprintf(stderr, "qorb: %s\n", message.c_str()); }

}  // namespace plat::backend
