// PNG files without compression, for builds that have no libpng (the
// WebAssembly build): valid files that any viewer reads, only larger.
#pragma once

#include <cstdint>
#include <vector>

namespace plat::png {

// An 8-bit RGB (3 channels) or RGBA (4) picture, `pixels` holding width x
// height pixels row by row from the top. Empty when the size is not positive,
// the channels are neither, or the file would pass 1 GiB.
std::vector<uint8_t> EncodePlain(int32_t width, int32_t height, int channels, const uint8_t* pixels);
inline std::vector<uint8_t> EncodeRgbPlain(int32_t width, int32_t height, const uint8_t* rgb) {
    return EncodePlain(width, height, 3, rgb);
}

}  // namespace plat::png
