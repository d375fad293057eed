// Control and inspection of the SDL back end, for tests and tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat::sdl {

// Releases every device, destroys the window and shuts SDL down, so that the
// next set-up starts afresh.
void Reset();

// The renderer in use ("software", "opengl", ...), empty without one.
std::string RendererName();

// What the window shows, as 0x00RRGGBB rows from the top.
bool ReadScreen(int32_t* width, int32_t* height, std::vector<uint32_t>* pixels);

// What presenting has cost since set-up.
struct PresentCounters {
    uint64_t Presents = 0;       // pictures sent to the window
    uint64_t Unchanged = 0;      // flips of a picture already on screen
    uint64_t PresentMicros = 0;  // time spent converting and presenting
    uint64_t PixelsDrawn = 0;    // screen pixels scaled and sent to the window
};
PresentCounters GetPresentCounters();

// Input for tests, queued as the window system would deliver it. Safe to call
// from any thread.
enum class TestKey { Escape, Return, KeypadEnter, F1, F5, F11 };
void PostTestKey(TestKey key, bool down);
void PostTestMotion(int32_t dx, int32_t dy);
void PostTestButton(int sdlButton, bool down);  // 1 left, 2 middle, 3 right
enum class TestWindowEvent { FocusGained, FocusLost, Minimized, Restored, Close, Quit };
void PostTestWindowEvent(TestWindowEvent what);
// Leaves full screen for a window of width x height pixels, as a window
// manager might size it.
void SetTestWindowSize(int32_t width, int32_t height);

// A virtual pad, plugged in as SDL's game controllers are: its buttons and
// axes in SDL's order. Commands are queued like the rest and carried out by
// the game's thread as it takes its events; safe to call from any thread.
// One test pad at a time; a failure is told on stderr.
enum class TestPadButton {
    A,
    B,
    X,
    Y,
    Back,
    Guide,
    Start,
    LeftStick,
    RightStick,
    LeftShoulder,
    RightShoulder,
    Up,
    Down,
    Left,
    Right
};
enum class TestPadAxis { LeftX, LeftY, RightX, RightY, LeftTrigger, RightTrigger };
void PlugTestPad();
void UnplugTestPad();
void SetTestPadButton(TestPadButton button, bool down);
void SetTestPadAxis(TestPadAxis axis, int16_t value);

}  // namespace plat::sdl
