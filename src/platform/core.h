// What the platform layer's core offers its back ends, tests and tools.
// (What a back end must provide in return is in backend.h.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/gamepad.h"
#include "platform/input_event.h"
#include "platform/platform.h"

namespace plat::core {

// --- Surfaces and the flip chain ----------------------------------------------

Surface* NewSurface(int32_t width, int32_t height);
void FreeSurface(Surface* surface);
size_t LiveSurfaceCount();

// The primary surface (the visible page) and its back buffer.
struct FlipChain {
    Surface* Primary = nullptr;
    Surface* Back = nullptr;
};
const FlipChain& Chain();

void SetLastError(std::string text);

// --- The mixer ------------------------------------------------------------------

// Both calls advance every playing buffer; Mix also adds their samples into
// out (interleaved stereo) with saturation. Safe to call from an audio thread.
void MixFrames(int16_t* out, uint32_t frames);
void AdvanceFrames(uint32_t frames);
// What MixFrames would give after `skip` frames more, without moving any
// buffer: a device can hold the mix ahead and have it replaced if the game
// starts or stops a voice meanwhile.
void PeekFrames(int16_t* out, uint32_t frames, uint32_t skip);
// Frames until the first playing buffer reaches its end and stops
// (UINT32_MAX while none plays): a back end that dozes wakes by then, for a
// game that polls a voice's status.
uint32_t FramesUntilFirstEnd();
// Counts the calls that may change what is mixed next: plays, stops, moves,
// writes, buffers freed. Mixing and advancing do not count.
uint64_t MixerChanges();
size_t LiveSoundBufferCount();
// The audio device stopped playing: from now on the buffers play by the
// silent clock, so that every sound still ends. Call from the game's thread.
void FallBackToSilentSound();

// --- Input, fed by the back end ---------------------------------------------------

// The one way input reaches the core: motion adds up until the next read,
// buttons and keys stand as last fed, a close asks once, a mouse failure
// fails the next read (LastError says why, when the back end set it). A
// button or key out of range is ignored.
void Feed(const InputEvent& event);
// Forgets motion and buttons, as when the mouse is taken afresh.
void ClearMouse();
bool MouseAcquired();
// How many times the game has read each key (by plat::Key) and the mouse,
// since the program started: a back end that holds a short press until the
// game has read it (the browser's taps) compares these.
struct InputReads {
    uint64_t Keys[4] = {};
    uint64_t Mouse = 0;
};
const InputReads& Reads();

// --- Gamepads, read by the back end ------------------------------------------------

// The pad numbered `pad` (the back end's own number) stands as read; a number
// not seen before is a pad plugged in. At each pump the core turns the pad
// that plays into input events (gamepad.h has the mapping).
void PadRead(int32_t pad, const PadReading& reading);
// The pad was unplugged: what it held is let go.
void PadGone(int32_t pad);
// The pad that plays, or -1 while none has acted.
int32_t PlayingPad();

// --- The window's close box ---------------------------------------------------------

// Posts the close message once; later requests add nothing until the next window.
void RequestClose();
bool CloseRequested();

// --- Set-up steps that can be made to fail, and what exists -------------------------

enum class Step {
    WindowClass,
    Window,
    DisplayCreate,
    DisplayCooperativeLevel,
    DisplayMode,
    PrimarySurface,
    BackBuffer,
    PixelFormat,
    OffscreenSurface,
    Flip,
    SoundCreate,
    SoundCooperativeLevel,
    SoundPrimaryBuffer,
    SoundFormat,
    SoundBuffer,
    InputCreate,
    MouseCreate,
    MouseCooperativeLevel,
    MouseDataFormat,
    MouseAcquire,
    MouseRead,
};
// The next `times` calls of the step fail (default: every call from now on).
void FailStep(Step step, uint32_t times = UINT32_MAX);

struct Devices {
    bool WindowClass = false;
    bool Window = false;
    bool Display = false;
    bool DisplayModeSet = false;
    bool Sound = false;
    bool SoundSilent = false;
    bool SoundPrimary = false;
    bool Input = false;
    bool Mouse = false;
    bool MouseAcquired = false;
    size_t Surfaces = 0;
    size_t SoundBuffers = 0;
    int CursorCount = 0;
};
Devices Live();

// Called after every flip with the number of flips so far.
void SetFlipObserver(std::function<void(uint64_t flips)> observer);

// Forgets every surface, buffer, message, device, failure and counter: the
// layer as the program starts. The back end's own devices must be closed first.
void ResetAll();

Stats& MutableStats();

}  // namespace plat::core
