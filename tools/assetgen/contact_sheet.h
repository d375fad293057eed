// The contact sheet: every picture as a PNG, plus one overview page, for
// looking at the art without the game.
#pragma once

#include <string>
#include <vector>

#include "assets.h"

namespace assetgen {

// Writes "<name>.png" for each picture and "contact_sheet.png" into `dir`;
// false when a file cannot be written.
bool WriteContactSheet(const std::vector<Picture>& pictures, const std::string& dir);

}  // namespace assetgen
