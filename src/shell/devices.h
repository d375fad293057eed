// The devices, surfaces and display format, created once at set-up.
#pragma once

#include <string>

#include "platform/platform.h"

// The layer owns the devices themselves; these record that each exists.
extern bool DDrawObject;
extern bool DSoundObject;
extern bool PrimarySoundBuffer;
extern bool DInputObject;
extern bool MouseDevice;

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

// Which step of the last SetupDevices failed, and why; "" after success.
extern std::string SetupFailure;

// Opens the display, surfaces, art, sound and mouse in one fixed order;
// false at the first required step that fails. A missing sound device only
// warns: the game then runs silent, every voice lasting as long as its sound.
bool SetupDevices();
// Releases whatever exists, in a fixed order.
void ShutdownDevices();
