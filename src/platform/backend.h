// The whole contract between the platform layer's core and a back end.
//
// The core implements every call of platform.h once: the Windows-shaped
// lifecycle of window, display, flip chain, sound and mouse, their guards and
// failure texts, the surfaces and blits, the mixer, the silent sound clock,
// the message queue, and the flip's retry rules. A back end provides only the
// primitives below, and feeds input and close requests back through core.h.
//
// A failing primitive returns false (or Failed) after core::SetLastError with
// the reason; the core turns that into the failure of the game's call.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace plat::backend {

// --- Window and events ------------------------------------------------------

// Makes the program's window, hidden until the display opens. The size is
// the design's small pop-up; a back end may ignore it.
bool OpenWindow(const char* title, int32_t width, int32_t height);
// Takes the window system's pending events: input goes to core::Feed*, a
// close request to core::RequestClose. Called by every layer call that reads
// input or waits.
void PumpEvents();
void SetCursorVisible(bool visible);

// --- Display ----------------------------------------------------------------

// Opens a width x height display of 16-bit words laid out as
// DisplayWordLayout(), and says how it packs them.
bool OpenDisplay(int32_t width, int32_t height, PixelFormat* format);
void CloseDisplay();

enum class PresentResult { Shown, Lost, Failed };
// Shows a finished page and returns once the display has taken it, paced at
// the display's refresh (and frozen while the game is in the background).
// Lost: the display took its surfaces away; RestoreDisplay may bring them back.
PresentResult Present(const Surface& page);
enum class RestoreResult { Restored, NotNow, Failed };
// NotNow: cannot be restored while another program is in front; the core
// waits without counting it against the present's time.
RestoreResult RestoreDisplay();
// Something was drawn straight onto the visible page: show it without a flip.
void ShowArea(const Surface& page, const Rect& area);

// --- Sound ------------------------------------------------------------------

// Starts a device that plays the mix by calling core::MixFrames (from any
// thread). False: no device, and the core plays the buffers by its silent
// clock instead.
bool OpenAudio();
void CloseAudio();

// --- Input ------------------------------------------------------------------

bool OpenInput();
void CloseInput();
// While captured, the mouse's relative motion and buttons are fed to the core.
bool CaptureMouse(bool captured);

// --- Time and system ----------------------------------------------------------

// Milliseconds, wrapping at 2^32.
uint32_t Ticks();
// Microseconds of a steady clock.
uint64_t NowMicros();
// A short sleep between two polls of a busy wait.
void Sleep(uint32_t micros);
// Seconds of the calendar clock.
int64_t CalendarSeconds();
// The folder holding the running program, or "" when it cannot be told.
std::string ExecutableDirectory();
// A failure the player must see (the game is about to end with it).
void ReportFatal(const std::string& message);

}  // namespace plat::backend
