// The platform layer: everything the game asks of the machine.
//
// The game sees only these types and functions, shaped like the calls of the
// platform it was designed on. All of them are implemented once, in the
// layer's core, so that pictures, sounds and every rule of the lifecycle come
// out the same everywhere; a back end (headless, null, SDL2, Windows, the
// browser) supplies only the primitives of backend.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// ---------------------------------------------------------------------------
// Rectangles and surfaces

// Right and bottom are exclusive.
struct Rect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

// A corner and a size. An edge beyond the 32-bit range is pinned to it, which
// leaves the rectangle outside every surface rather than wrapping round.
inline Rect RectAt(int32_t x, int32_t y, int32_t width, int32_t height) {
    auto edge = [](int64_t v) {
        return static_cast<int32_t>(v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : v));
    };
    return Rect{x, y, edge(int64_t{x} + width), edge(int64_t{y} + height)};
}

// A software surface of 16-bit pixel words.
struct Surface {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t PitchWords = 0;       // words from one row to the next
    std::vector<uint16_t> Words;  // PitchWords x Height
    bool HasColorKey = false;     // source colour key, a range of words
    uint16_t KeyLow = 0;
    uint16_t KeyHigh = 0;
    bool IsPrimary = false;  // what is drawn here shows on screen at once
    bool Locked = false;
};

struct SurfaceLock {
    uint16_t* Words = nullptr;
    int32_t PitchBytes = 0;
};

// Lock hands out the pixel memory until Unlock; fails on a locked surface.
bool Lock(Surface* surface, SurfaceLock* lock);
void Unlock(Surface* surface);

void SetColorKey(Surface* surface, uint16_t low, uint16_t high);

// Every blit draws nothing and returns false when a rectangle does not lie
// wholly inside its surface, has no area, or a surface is missing or locked.
// There is no clipping: the game relies on partly visible copies vanishing.
enum class BlitMode { Opaque, Keyed };
bool Blit(Surface* dst, const Rect& dstRect, Surface* src, const Rect& srcRect, BlitMode mode);
// Nearest-neighbour scaling of the whole source rectangle into the destination.
bool BlitStretch(Surface* dst, const Rect& dstRect, Surface* src, const Rect& srcRect);
bool Fill(Surface* dst, const Rect& dstRect, uint16_t word);

// Text in the built-in 8 x 16 font, transparent background. Characters
// outside printable ASCII draw as blanks. Glyphs that would cross the
// surface's edge are cut at the edge.
constexpr int GlyphWidth = 8;
constexpr int GlyphHeight = 16;
void DrawText(Surface* dst, int32_t x, int32_t y, const char* text, int length, uint16_t word);

// ---------------------------------------------------------------------------
// Display: a 16-bit display with a two-surface flip chain.

struct PixelFormat {
    uint32_t RgbBitCount = 0;  // 15 or 16
    uint32_t RedMask = 0;
    uint32_t GreenMask = 0;
    uint32_t BlueMask = 0;
};

// How the display lays out the red, green and blue bits of a 16-bit word.
// Each executable declares the layout its packing writes before set-up.
enum class WordLayout { Rgb565, Rgb555 };
void DisplaySetWordLayout(WordLayout layout);
WordLayout DisplayWordLayout();
// Widens a word of the given layout to 8-bit red, green and blue.
void WordToRgb(uint16_t word, WordLayout layout, uint8_t rgb[3]);

bool DisplayCreate();
bool DisplaySetCooperativeLevel();
bool DisplaySetMode(int32_t width, int32_t height, int32_t bitsPerPixel);
bool DisplayCreatePrimary(Surface** primary);
bool DisplayGetBackBuffer(Surface** backBuffer);
bool DisplayGetPixelFormat(PixelFormat* format);
bool DisplayCreateSurface(int32_t width, int32_t height, Surface** surface);
void ReleaseSurface(Surface* surface);
// Releases the display and every surface still alive with it.
void DisplayRelease();
// Exchanges the pictures of the primary surface and the back buffer and shows
// the new primary; returns once the emulated display has taken it.
bool Flip();

// ---------------------------------------------------------------------------
// Sound: static buffers of 44.1 kHz, 16-bit, stereo PCM mixed by our mixer.

constexpr uint32_t SoundRate = 44100;
constexpr uint32_t SoundBytesPerFrame = 4;
constexpr uint32_t SoundBytesPerSecond = SoundRate * SoundBytesPerFrame;
constexpr uint32_t SoundMinBufferBytes = 4;
constexpr uint32_t SoundStatusPlaying = 1;

struct SoundBuffer;

bool SoundCreate();
// Stands in for a missing sound device: buffers are made and play in time,
// silently, so that every wait on a voice lasts as long as its sound.
bool SoundCreateSilent();
bool SoundSetCooperativeLevel();
bool SoundCreatePrimaryBuffer();
bool SoundSetFormat(uint32_t rate, uint32_t channels, uint32_t bits);
// A static buffer of the given size, silent; null (with LastError) on failure.
SoundBuffer* SoundCreateBuffer(uint32_t bytes);
// Copies bytes into the buffer from its start; false if they do not fit.
bool SoundWrite(SoundBuffer* buffer, const uint8_t* bytes, uint32_t count);
// Plays once from the current position; at its end the buffer stops and its
// position goes back to 0. Stop keeps the position.
bool SoundPlay(SoundBuffer* buffer);
bool SoundStop(SoundBuffer* buffer);
bool SoundSetPosition(SoundBuffer* buffer, uint32_t byteOffset);
uint32_t SoundGetPosition(SoundBuffer* buffer);
uint32_t SoundStatus(SoundBuffer* buffer);
// Releases the sound device and every buffer with it.
void SoundRelease();

// ---------------------------------------------------------------------------
// Input

struct MouseState {
    int32_t X = 0;  // relative motion since the last read
    int32_t Y = 0;
    int32_t Z = 0;
    uint8_t Buttons[4] = {0, 0, 0, 0};  // non-zero while down
};

bool InputCreate();
bool MouseCreate();
bool MouseSetCooperativeLevel();
bool MouseSetDataFormat();
bool MouseAcquire();
void MouseUnacquire();
void MouseRelease();
void InputRelease();
// Motion accumulated since the last successful read; false if it failed.
bool MouseRead(MouseState* state);

enum class Key { Escape, Enter, F1, F5 };
// True while the key is held, as the game samples it.
bool KeyDown(Key key);

// Where the game stands, numbered as the page numbers it. A gamepad gives up
// only while the game waits in its pause, where no stray press can reach.
enum class PlayState : int32_t { Title = 0, Playing = 1, Paused = 2 };
// How the layer tells where the game stands: the game's entry hands it a
// function, which the layer calls from the game's own thread while it takes
// input. Without one, the game counts as playing and never as paused.
void SetPlayStateSource(PlayState (*source)());

// ---------------------------------------------------------------------------
// Time and system

// Milliseconds; wraps at 2^32.
uint32_t Ticks();
// Called by every busy wait between two polls.
void Idle();
// A busy wait on the clock: returns once Ticks() - start >= ms, as a loop of
// Idle() would at the same moment, but naps through all of it but the last
// millisecond at once instead of waking every millisecond.
void IdleUntil(uint32_t start, uint32_t ms);
// Seconds of the calendar clock, for seeding the random numbers.
int64_t Time();
// Returns the display counter as the Windows call does: shown while >= 0.
int ShowCursor(bool show);
// Text of the last failure of a platform call.
const char* LastError();
// The folder holding the running program, or "" when it cannot be told.
std::string ExecutableDirectory();
// Shows why the program is about to end with an error, where the player can
// see it (the terminal, or a message box for a program without one).
void ReportFatalError(const std::string& message);

// ---------------------------------------------------------------------------
// Window and message queue

constexpr uint32_t MsgCreate = 0x0001;
constexpr uint32_t MsgDestroy = 0x0002;
constexpr uint32_t MsgPaint = 0x000F;
constexpr uint32_t MsgClose = 0x0010;
constexpr uint32_t MsgQuit = 0x0012;

struct Message {
    uint32_t Id = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
};

bool RegisterWindowClass(const char* className);
bool CreateMainWindow(const char* className, const char* title, int32_t x, int32_t y, int32_t width, int32_t height);
// Takes at most one message off the queue.
bool PeekMessage(Message* message);
void PostMessage(uint32_t id, uintptr_t wParam, intptr_t lParam);
void PostQuitMessage(int exitCode);
// What a window does with a message it has no use for: a close request
// becomes a destroy message.
intptr_t DefaultWindowProc(const Message& message);

// ---------------------------------------------------------------------------
// Counters, for tests, tools and benchmarks

struct Stats {
    uint64_t Blits = 0;         // accepted copies, stretches and fills
    uint64_t PixelsDrawn = 0;   // the destination area of those
    uint64_t BlitsRefused = 0;  // refused by the rectangle rules
    uint64_t Flips = 0;
    uint64_t VoicePlays = 0;      // SoundPlay calls on a buffer
    uint64_t PrimaryUpdates = 0;  // draws straight onto the primary surface
};
const Stats& GetStats();
void ResetStats();

}  // namespace plat
