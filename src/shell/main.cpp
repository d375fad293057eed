// Entry point of game565 and game555, which differ only in QORB_PACKING.
#include "gfx/pixel_packing.h"
#include "platform/platform.h"
#include "shell/entry.h"

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
    return GameMain();
}
