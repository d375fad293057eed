// The finished 16-bit page as the canvas takes it: RGBA bytes, rows from the
// top, converted by a table of every word, so a whole page costs one lookup
// a pixel.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace plat::web {

class RgbaPage {
public:
    // Converts `area` of the surface (clipped to it) into the page's bytes,
    // which keep the surface's size; returns the clipped area, empty when
    // nothing of it lies on the surface.
    Rect Convert(const Surface& surface, WordLayout layout, const Rect& area);
    const uint8_t* Bytes() const { return bytes_.data(); }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

private:
    void BuildTable(WordLayout layout);
    std::vector<uint32_t> table_;  // RGBA as it lies in memory, by word
    WordLayout tableLayout_ = WordLayout::Rgb565;
    std::vector<uint8_t> bytes_;
    int32_t width_ = 0, height_ = 0;
};

}  // namespace plat::web
