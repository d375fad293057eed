#include "bmp_writer.h"

#include <stdexcept>

#include "byte_io.h"

namespace assetgen {

std::vector<uint8_t> EncodeBmp(const Image& image) {
    if (image.Width <= 0 || image.Height <= 0 || image.Width % 4 != 0) {
        throw std::invalid_argument("bitmap width must be a positive multiple of four");
    }
    const uint32_t pixelBytes = uint32_t(image.Width) * uint32_t(image.Height) * 3;
    const uint32_t offset = 14 + 40;
    std::vector<uint8_t> out;
    out.reserve(offset + pixelBytes);
    ByteWriter w(out);
    w.U8('B');
    w.U8('M');
    w.U32(offset + pixelBytes);
    w.U16(0);
    w.U16(0);
    w.U32(offset);
    w.U32(40);
    w.U32(uint32_t(image.Width));
    w.U32(uint32_t(image.Height));
    w.U16(1);
    w.U16(24);
    w.U32(0);  // uncompressed
    w.U32(pixelBytes);
    w.U32(2835);  // 72 dots per inch
    w.U32(2835);
    w.U32(0);
    w.U32(0);
    // Bottom row first, blue, green, red, written in place.
    out.resize(offset + pixelBytes);
    uint8_t* to = out.data() + offset;
    for (int y = image.Height - 1; y >= 0; --y) {
        for (int x = 0; x < image.Width; ++x) {
            const Rgb8& p = image.At(x, y);
            *to++ = p.B;
            *to++ = p.G;
            *to++ = p.R;
        }
    }
    return out;
}

}  // namespace assetgen
