// Small bitmap files made by the tests themselves.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "support/scratch_dir.h"

namespace testing_support {

struct Rgb {
    uint8_t R, G, B;
};

// An uncompressed bottom-up bitmap; `pixel(x, y)` gives the colour with y
// counted from the top. Offsets of the header fields, for tampering:
constexpr size_t OffBitsAt = 10, InfoSizeAt = 14, WidthAt = 18, HeightAt = 22, BitCountAt = 28, CompressionAt = 30,
                 SizeImageAt = 34;

inline std::vector<uint8_t> MakeBmp24(int32_t width, int32_t height, const std::function<Rgb(int, int)>& pixel) {
    const uint32_t data = static_cast<uint32_t>(width * height * 3);
    std::vector<uint8_t> b(54 + data, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, OffBitsAt, 54);
    Put32(b, InfoSizeAt, 40);
    Put32(b, WidthAt, static_cast<uint32_t>(width));
    Put32(b, HeightAt, static_cast<uint32_t>(height));
    Put16(b, 26, 1);
    Put16(b, BitCountAt, 24);
    Put32(b, SizeImageAt, data);
    size_t at = 54;
    for (int row = height - 1; row >= 0; --row)
        for (int x = 0; x < width; ++x, at += 3) {
            const Rgb c = pixel(x, row);
            b[at] = c.B;
            b[at + 1] = c.G;
            b[at + 2] = c.R;
        }
    return b;
}

inline std::vector<uint8_t> MakeBmp16(int32_t width, int32_t height, const std::function<uint16_t(int, int)>& word) {
    const uint32_t data = static_cast<uint32_t>(width * height * 2);
    std::vector<uint8_t> b = MakeBmp24(1, 1, [](int, int) { return Rgb{0, 0, 0}; });
    b.resize(54 + data);
    Put32(b, WidthAt, static_cast<uint32_t>(width));
    Put32(b, HeightAt, static_cast<uint32_t>(height));
    Put16(b, BitCountAt, 16);
    Put32(b, SizeImageAt, data);
    size_t at = 54;
    for (int row = height - 1; row >= 0; --row)
        for (int x = 0; x < width; ++x, at += 2) Put16(b, at, word(x, row));
    return b;
}

// An 8-bit file with a grey ramp palette (entry i is blue i, green 255 - i, red 7).
inline std::vector<uint8_t> MakeBmp8(int32_t width, int32_t height, const std::function<uint8_t(int, int)>& index) {
    const uint32_t data = static_cast<uint32_t>(width * height);
    std::vector<uint8_t> b = MakeBmp24(1, 1, [](int, int) { return Rgb{0, 0, 0}; });
    b.resize(54 + 1024 + data);
    Put32(b, WidthAt, static_cast<uint32_t>(width));
    Put32(b, HeightAt, static_cast<uint32_t>(height));
    Put16(b, BitCountAt, 8);
    Put32(b, SizeImageAt, data);
    for (int i = 0; i < 256; ++i) {
        b[54 + 4 * i] = static_cast<uint8_t>(i);
        b[54 + 4 * i + 1] = static_cast<uint8_t>(255 - i);
        b[54 + 4 * i + 2] = 7;
        b[54 + 4 * i + 3] = 0;
    }
    size_t at = 54 + 1024;
    for (int row = height - 1; row >= 0; --row)
        for (int x = 0; x < width; ++x) b[at++] = index(x, row);
    return b;
}

}  // namespace testing_support
