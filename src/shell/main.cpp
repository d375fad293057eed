// Entry point of game565 and game555, which differ only in QORB_PACKING.
//
// For now it opens the display in the chosen packing and exits; the frame
// loop and the real window come with the shell.
#include <cstdio>

#include "gfx/pixel_packing.h"
#include "platform/platform.h"
#include "shell/devices.h"

#if QORB_PACKING == 565
constexpr Packing ExecutablePacking = Packing::Rgb565;
constexpr plat::WordLayout ExecutableLayout = plat::WordLayout::Rgb565;
#elif QORB_PACKING == 555
constexpr Packing ExecutablePacking = Packing::Rgb555;
constexpr plat::WordLayout ExecutableLayout = plat::WordLayout::Rgb555;
#else
#error "QORB_PACKING must be 565 or 555"
#endif

int main() {
    GamePacking = ExecutablePacking;
    plat::DisplaySetWordLayout(ExecutableLayout);
    if (!plat::DisplayCreate() || !plat::DisplaySetCooperativeLevel() || !plat::DisplaySetMode(800, 600, 16) ||
        !plat::DisplayCreatePrimary(&PrimarySurface) || !plat::DisplayGetBackBuffer(&BackBuffer) ||
        !plat::DisplayGetPixelFormat(&DisplayPixelFormat)) {
        std::fprintf(stderr, "qorb: display set-up failed: %s\n", plat::LastError());
        return 1;
    }
    plat::DisplayRelease();
    return 0;
}
