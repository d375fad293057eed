// How 24-bit art becomes 16-bit pixel words.
#pragma once

#include <cstdint>

// The two executables differ only here: on a display reporting 16 bits,
// game565 puts the five-bit green one place higher than game555 does.
enum class Packing { Rgb565, Rgb555 };

// Chosen by each executable before set-up; tests set it as they need.
extern Packing GamePacking;

// Each channel keeps its top five bits; every channel below 8 gives 0, the
// colour key.
uint16_t PackPixel(uint8_t red, uint8_t green, uint8_t blue, uint32_t rgbBitCount, Packing packing);
