// The one thing that makes game565 and game555 two programs: the packing
// each compiles in through QORB_PACKING. Included by each entry point only.
#pragma once

#include "gfx/pixel_packing.h"
#include "platform/platform.h"

#if QORB_PACKING == 565
constexpr Packing ExecutablePacking = Packing::Rgb565;
constexpr plat::WordLayout ExecutableLayout = plat::WordLayout::Rgb565;
#elif QORB_PACKING == 555
constexpr Packing ExecutablePacking = Packing::Rgb555;
constexpr plat::WordLayout ExecutableLayout = plat::WordLayout::Rgb555;
#else
#error "QORB_PACKING must be 565 or 555"
#endif

// Before set-up: the loader packs, and the display shows, this executable's words.
inline void UseExecutablePacking() {
    GamePacking = ExecutablePacking;
    plat::DisplaySetWordLayout(ExecutableLayout);
}
