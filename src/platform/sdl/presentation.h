// How frames reach the screen, as plain arithmetic the SDL back end builds on:
// word conversion, the emulated display's ticks, what changed since the last
// frame, and the windowed size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// A 64-bit hash of `count` words; rows that differ in a single word always
// hash differently.
uint64_t RowHash(const uint16_t* words, int32_t count);

// The parts of a picture that differ between two pictures of the same pitch
// and height: a few rectangles that together cover every difference, so that
// a ball and the status panel changing at once cost two small areas, not the
// span between them. With `rowHashes` (RowHash of each row of `before`, one
// a row), only the rows whose hash changed are compared, so that an unchanged
// page is read once instead of twice; the hashes are brought up to `now`.
std::vector<Rect> ChangedAreas(const uint16_t* now, const uint16_t* before, int32_t pitchWords, int32_t width,
                               int32_t height, std::vector<uint64_t>* rowHashes = nullptr);

// Where a width x height picture lies in an output of outWidth x outHeight:
// as large as fits, its shape kept, centred (Right and Bottom exclusive).
Rect PlacePicture(int32_t width, int32_t height, int32_t outWidth, int32_t outHeight);

// Sharp scaling: the picture is enlarged by the largest whole factor that
// fits with nearest sampling, then by the fraction that remains with linear
// filtering, so that every picture pixel covers the same area of the screen
// and an edge is at most one screen pixel soft. At a whole factor it is
// plain nearest sampling.
class SharpScaler {
public:
    // Sizes the picture (in pixels) and its place on the screen (in screen
    // pixels); true when either changed, and everything must be drawn again.
    bool Resize(int32_t pictureWidth, int32_t pictureHeight, int32_t shownWidth, int32_t shownHeight);
    // The shown pixels (relative to the picture's corner) whose colour comes
    // partly from the picture's `area`; empty when the area lies outside.
    Rect Reach(const Rect& area) const;
    // Draws the shown pixels of `shown` (relative to the picture's corner,
    // within the shown size) from the picture's 0x00RRGGBB pixels; the
    // shown rectangle's corner goes to `out`.
    void Draw(const uint32_t* picture, int32_t picturePitch, const Rect& shown, uint32_t* out, int32_t outPitch) const;

    int32_t ShownWidth() const { return static_cast<int32_t>(columns_.size()); }
    int32_t ShownHeight() const { return static_cast<int32_t>(rows_.size()); }

    // One axis: shown pixel i is (256 - Weight) parts picture pixel First and
    // Weight parts picture pixel First + 1.
    struct Tap {
        int32_t First = 0;
        uint32_t Weight = 0;
    };
    static std::vector<Tap> Taps(int32_t pictureSize, int32_t shownSize);

private:
    struct Span {
        int32_t First = 0, Last = -1;  // the shown pixels a picture pixel reaches
    };
    static std::vector<Span> Spans(const std::vector<Tap>& taps, int32_t pictureSize);
    int32_t pictureWidth_ = 0, pictureHeight_ = 0;
    std::vector<Tap> columns_, rows_;
    std::vector<Span> columnReach_, rowReach_;
    mutable std::vector<uint32_t> lines_[2];  // picture rows filtered across
};

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
