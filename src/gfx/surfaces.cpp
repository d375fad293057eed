#include "gfx/surfaces.h"

plat::Surface* PrimarySurface = nullptr;
plat::Surface* BackBuffer = nullptr;
plat::Surface* ElementsSurface = nullptr;
plat::Surface* BElementsSurface = nullptr;
plat::Surface* BackdropSurface = nullptr;
plat::Surface* RoundArtSurface = nullptr;
plat::Surface* ShipsSurface = nullptr;
plat::Surface* TitlesSurface = nullptr;
plat::Surface* CloudsSurface = nullptr;

plat::PixelFormat DisplayPixelFormat{};
