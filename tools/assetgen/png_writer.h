// PNG output for looking at the art (the contact sheet); not used by the game.
#pragma once

#include <string>

#include "image.h"

namespace assetgen {

// Writes `image` as an 8-bit RGB PNG; false when the file cannot be written.
bool WritePng(const Image& image, const std::string& path);

}  // namespace assetgen
