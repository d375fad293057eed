// Uncompressed 24-bit Windows bitmaps, rows bottom-up, as the game reads them.
#pragma once

#include <cstdint>
#include <vector>

#include "image.h"

namespace assetgen {

// The game takes rows as exactly width x 3 bytes, so only widths whose rows
// need no padding (multiples of four) are accepted; others throw.
std::vector<uint8_t> EncodeBmp(const Image& image);

}  // namespace assetgen
