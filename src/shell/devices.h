// The devices, created once at set-up with the surfaces of gfx/surfaces.h.
#pragma once

#include <string>

#include "gfx/surfaces.h"

// The layer owns the devices themselves; these record that each exists.
extern bool DDrawObject;
extern bool DSoundObject;
extern bool PrimarySoundBuffer;
extern bool DInputObject;
extern bool MouseDevice;

// Which step of the last SetupDevices failed, and why; "" after success.
extern std::string SetupFailure;

// Whether set-up checks the round pictures (LEVELn.GRA) that the rounds load
// later, as files on disk may be broken. The browser makes them itself,
// behind the title, and they are not there yet at set-up.
extern bool RoundPicturesAtSetup;

// Opens the display, surfaces, art, sound and mouse in one fixed order;
// false at the first required step that fails. A missing sound device only
// warns: the game then runs silent, every voice lasting as long as its sound.
bool SetupDevices();
// Releases whatever exists, in a fixed order.
void ShutdownDevices();
