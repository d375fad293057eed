// The Windows icon file: every size of the program's icon in one file, for
// the executables' icon resource.
#pragma once

#include <cstdint>
#include <vector>

#include "image.h"

namespace assetgen {

// The layers as a .ico file: 32-bit pictures with their coverage as alpha,
// in the given order. Each must be square, 1 to 256 pixels; empty when one is not.
std::vector<uint8_t> EncodeIco(const std::vector<Layer>& sizes);

}  // namespace assetgen
