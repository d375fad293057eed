// PNG files without compression, for builds that have no libpng (the
// WebAssembly build): valid files that any viewer reads, only larger.
#pragma once

#include <cstdint>
#include <vector>

namespace plat::png {

// An 8-bit RGB picture, `rgb` holding width x height triples row by row from
// the top. Empty when the size is not positive or the file would pass 1 GiB.
std::vector<uint8_t> EncodeRgbPlain(int32_t width, int32_t height, const uint8_t* rgb);

}  // namespace plat::png
