// The devices, surfaces and display format, created once at set-up.
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
