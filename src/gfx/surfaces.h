// The flip chain, the seven off-screen surfaces and the display's pixel
// format: made by set-up, drawn with by every part of the game.
#pragma once

#include "platform/platform.h"

extern plat::Surface* PrimarySurface;
extern plat::Surface* BackBuffer;
extern plat::Surface* ElementsSurface;
extern plat::Surface* BElementsSurface;
extern plat::Surface* BackdropSurface;
extern plat::Surface* RoundArtSurface;
extern plat::Surface* ShipsSurface;
extern plat::Surface* TitlesSurface;
extern plat::Surface* CloudsSurface;

// Read by the bitmap loader: its RGB bit count selects the packing.
extern plat::PixelFormat DisplayPixelFormat;
