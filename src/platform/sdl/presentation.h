// How frames reach the screen, as plain arithmetic the SDL back end builds on:
// word conversion, the emulated display's ticks, what changed since the last
// frame, and the windowed size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace plat::sdl {

// One game word as 0x00RRGGBB, widened the way WordToRgb does.
inline uint32_t WordToXrgb(uint16_t word, WordLayout layout) {
    uint32_t r, g, b;
    if (layout == WordLayout::Rgb565) {
        r = (word >> 11) & 31;
        g = (word >> 5) & 63;
        b = word & 31;
        g = (g << 2) | (g >> 4);
    } else {
        r = (word >> 10) & 31;
        g = (word >> 5) & 31;
        b = word & 31;
        g = (g << 3) | (g >> 2);
    }
    r = (r << 3) | (r >> 2);
    b = (b << 3) | (b >> 2);
    return (r << 16) | (g << 8) | b;
}

// Converts `count` words into 32-bit pixels.
void ConvertRow(const uint16_t* words, uint32_t* pixels, int32_t count, WordLayout layout);

// Microseconds of the emulated 60 Hz display: the first tick strictly after
// `micros` (both counted from the display's start).
uint64_t NextTickMicros(uint64_t micros);
constexpr uint64_t TickMicros = 16667;  // one tick, rounded up

// The rows that differ between two pictures of the same pitch and height:
// [First, Last], or Empty.
struct RowSpan {
    int32_t First = 0;
    int32_t Last = -1;
    bool Empty() const { return Last < First; }
};
RowSpan ChangedRows(const uint16_t* now, const uint16_t* before, int32_t pitchWords, int32_t width, int32_t height);

// Whole-number zoom of a width x height window on a desktop: 1 on ordinary
// screens, more on high-density ones (measured against a 1080-line screen),
// never larger than the usable area allows.
int WindowedScale(int32_t width, int32_t height, int32_t desktopHeight, int32_t usableWidth, int32_t usableHeight);

// OpenGL renderer strings of drivers that rasterise on the CPU.
bool IsSoftwareGl(std::string_view rendererString);

// Whether the game may run on the video driver SDL chose. SDL falls back to
// drivers that show nothing ("offscreen", "dummy") when no display answers;
// the game takes those only when SDL_VIDEODRIVER (`requested`, may be null,
// may be a comma-separated list) names them.
bool AcceptsVideoDriver(std::string_view chosen, const char* requested);
// The one line said when no display could be opened, naming the display
// that was tried.
std::string NoDisplayMessage(const char* display, const char* waylandDisplay, std::string_view why);
// What the libraries under SDL printed while its video started, as a clause
// for the no-display line: its lines joined, without the Wayland client's
// complaint about XDG_RUNTIME_DIR when no Wayland display was named (SDL
// tries Wayland first on every machine); "" when nothing is left.
std::string VideoStartNote(std::string_view printed, const char* waylandDisplay);

}  // namespace plat::sdl
