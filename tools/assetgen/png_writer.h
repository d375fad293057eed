// PNG output for looking at the art (the contact sheet) and for the
// program's icon; not read by the game.
#pragma once

#include <cstdint>
#include <string>

#include "image.h"

namespace assetgen {

// Writes `image` as an 8-bit RGB PNG; false when the file cannot be written.
bool WritePng(const Image& image, const std::string& path);
// Writes `layer` as an 8-bit RGBA PNG, its coverage as the alpha.
bool WritePng(const Layer& layer, const std::string& path);

// One row of the file's pixels, as both writers store them: RGB, or RGBA with
// the colour no longer multiplied by the coverage.
void PngRow(const Image& image, int y, uint8_t* out);
void PngRow(const Layer& layer, int y, uint8_t* out);

}  // namespace assetgen
