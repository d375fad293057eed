// The page's side of the browser back end: what C++ asks of web/page.js.
// Calls marked "yields" suspend the program (Asyncify) and let the browser
// run until they return; a module that calls them must be linked with
// -sASYNCIFY. Everything else returns at once.
#pragma once

#include <cstdint>

#include "platform/core.h"
#include "platform/input_event.h"

namespace plat::web::page {

// --- Picture -----------------------------------------------------------------

// Sizes the canvas's picture; the page scales it to fit the window, 4:3 kept,
// with black bars.
void OpenCanvas(int32_t width, int32_t height);
// Puts the part (x, y, w, h) of a whole RGBA page (width x height, rows from
// the top, 4 bytes a pixel) on the canvas.
void ShowRgba(const uint8_t* rgba, int32_t width, int32_t height, int32_t x, int32_t y, int32_t w, int32_t h);
void SetCursorVisible(bool visible);
// True once after the browser gave back a canvas context it had dropped (for
// its memory, or a GPU that reset): the canvas is blank, and the whole
// picture must be put on it again.
bool PictureLost();

// --- Time ----------------------------------------------------------------------

// The page's monotonic clock, in milliseconds.
double NowMs();
// Yields until the next animation frame, or the simulated frame clock's next
// tick when the page was opened with ?hz=N, and returns the frame's stamp
// (ms); or returns a negative number if none came within `maxMs`
// milliseconds, so that the caller can do something meanwhile.
double NextFrameWithin(uint32_t maxMs);
// Yields for about `ms` milliseconds (0: one turn of the browser's loop).
// Unlike emscripten_sleep, whose timers the browser stretches to 4 ms once
// they nest, a 1 ms sleep lasts about 1.3 ms where the page has
// scheduler.postTask (Chromium): the game's polled waits keep their timing.
void Sleep(uint32_t ms);
// Yields until an input event comes or `maxMs` milliseconds have passed.
// The game's polled waits doze here: a poll every few milliseconds or at
// an event, instead of one a millisecond.
void Doze(uint32_t maxMs);
// False while the page is hidden or has lost the focus: the game then waits.
bool Active();
// Yields until Active().
void WaitUntilActive();

// --- Input -------------------------------------------------------------------

// Moves up to `capacity` pending events into `events`; returns how many.
// `reads` tells the page what the game has read so far: it lets go of a
// press (a tap, a short key press) only once the game has read it, so that
// no press made while the game reads nothing is lost.
int32_t TakeInput(plat::InputEvent* events, int32_t capacity, const core::InputReads& reads);
// A gamepad as the page last read it, in the browser's standard layout: the
// page's number for it, whether it is still connected, its sticks (left x,
// left y, right x, right y, each -1 to 1) and its buttons held (bit n for
// button n, as core::PadButton numbers them).
struct PadState {
    int32_t Index = 0;
    int32_t Connected = 0;
    float Axes[4] = {};
    uint32_t Buttons = 0;
};
// Up to `capacity` pads as they stand, and those unplugged since the last
// call (Connected 0, once); 0 while the page knows of none.
int32_t TakePads(PadState* pads, int32_t capacity);
// Whether the game wants the mouse: a click on the canvas then takes pointer
// lock (browsers grant it only in a gesture), and motion counts only locked.
void WantPointerLock(bool wanted);
bool PointerLocked();

// --- Sound -------------------------------------------------------------------

// True once the page's audio runs: after the first key or click.
bool AudioRunning();
// The frame the page's audio plays now, counted on its own clock (44.1 kHz).
double AudioPlayedFrame();
// The most frames by which a piece reached the page's device after its time
// since the last call (0: none late): the browser passed it on slowly.
uint32_t AudioHeardLate();
// Interleaved stereo 16-bit frames to be played from frame `at` on, in place
// of whatever the page held from there.
void QueueAudioAt(double at, const int16_t* frames, uint32_t count);

// --- Files made beside the game ----------------------------------------------

// True when the page has started, as it opened, a Web Worker that runs this
// module with --maker on the browser's other core and hands back each file
// it makes (main.cpp chooses which).
bool MakerStarted();
// The size of a file the worker has handed back and nobody has taken, or 0.
uint32_t MadeSize(const char* name);
// Writes that file into the module's file system at `path` as it came, with
// no copy through the module's memory, and forgets it; only forgets it when
// `path` is null. False when the file cannot be written.
bool TakeMade(const char* name, const char* path);
// Tells the worker that this file is made here: it skips it unless it has
// begun it.
void MadeHere(const char* name);
// True once the worker has stopped, done or failed: what it has not handed
// back by then, the tab makes itself.
bool MakerStopped();
// Yields until the worker hands back another file, or stops.
void WaitForMade();
// In the worker: yields one turn to hear the page, then tells whether the
// page still wants the file (it has not made it itself).
bool StillWanted(const char* name);
// In the worker: hands a made file to the page.
void HandOver(const char* name, const uint8_t* bytes, uint32_t size);
// In the worker: yields until the tab has shown its first picture, so that
// work not needed for it leaves the tab's way clear until then.
void WaitForFirstPicture();

// --- The page ------------------------------------------------------------------

// The progress bar while the art and sounds are made; done at fraction 1.
void Progress(double fraction, const char* what);
// The game is over: the page says so and offers to start it again.
void Ended(int32_t exitCode);
// A failure the player must see, shown when the game has ended.
void Fatal(const char* message);
// The status panel's left edge and the bottom of its text, in picture
// pixels: where the screen leaves no room beside the picture, the buttons of
// touch screens stand over the panel below its text.
void StatusPanel(int32_t left, int32_t freeTop);
// Where the game stands, for the buttons of touch screens and the screen's
// wake lock: 0 the title or the intro, 1 a game in play, 2 a game paused.
void PlayState(int32_t state);
// A figure for tests and measurements (play steps made, say), kept in the
// page's stats under `name`.
void SetFigure(const char* name, double value);

}  // namespace plat::web::page
