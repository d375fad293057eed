// PNG output for looking at the art (the contact sheet) and for the
// program's icon; not read by the game.
#pragma once

#include <string>

#include "image.h"

namespace assetgen {

// Writes `image` as an 8-bit RGB PNG; false when the file cannot be written.
bool WritePng(const Image& image, const std::string& path);
// Writes `layer` as an 8-bit RGBA PNG, its coverage as the alpha.
bool WritePng(const Layer& layer, const std::string& path);

}  // namespace assetgen
