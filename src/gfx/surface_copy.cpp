#include "gfx/surface_copy.h"

#include "gfx/sheet_map.h"
#include "gfx/surfaces.h"
#include "platform/platform.h"

namespace {

constexpr int32_t ScreenWidth = 800;
constexpr int32_t ScreenHeight = 600;

// Where the shown part of the round art is placed: inside the walls.
constexpr int32_t PlayfieldLeft = 17;
constexpr int32_t PlayfieldTop = 17;

// A flip only fails while the display is unusable; give it a little time to
// come back rather than hanging the game.
constexpr int FlipAttempts = 100;

plat::Surface* KeyedSource(int32_t selector) {
    switch (selector) {
        case SourceElements: return ElementsSurface;
        case SourceBElements: return BElementsSurface;
        case SourceBackdrop: return BackdropSurface;
        case SourceShips: return ShipsSurface;
        default: return nullptr;
    }
}

void CopyFrom(plat::Surface* dst, plat::Surface* src, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
              int32_t width, int32_t height, int32_t keyed) {
    // The key is set before every copy, keyed or not, so it always holds 0.
    plat::SetColorKey(src, 0, 0);
    if (keyed != 0 && keyed != 1) return;
    plat::Blit(dst, plat::RectAt(dstX, dstY, width, height), src, plat::RectAt(srcX, srcY, width, height),
               keyed == 1 ? plat::BlitMode::Keyed : plat::BlitMode::Opaque);
}

}  // namespace

bool CopyRect(int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height, int32_t selector,
              int32_t keyed) {
    if (plat::Surface* src = KeyedSource(selector)) {
        CopyFrom(BackBuffer, src, srcX, srcY, dstX, dstY, width, height, keyed);
    } else if (selector == SourceClouds) {
        // KEEP AS DESIGNED: the clouds ignore `keyed` and always copy opaque.
        plat::Blit(BackBuffer, plat::RectAt(dstX, dstY, width, height), CloudsSurface,
                   plat::RectAt(srcX, srcY, width, height), plat::BlitMode::Opaque);
    }
    return true;
}

bool CopyRectToBackdrop(int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height,
                        int32_t selector, int32_t keyed) {
    if (selector == SourceElements || selector == SourceBElements)
        CopyFrom(BackdropSurface, KeyedSource(selector), srcX, srcY, dstX, dstY, width, height, keyed);
    return true;
}

bool ShowRect(int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height, int32_t keyed) {
    CopyFrom(PrimarySurface, BackBuffer, srcX, srcY, dstX, dstY, width, height, keyed);
    return true;
}

bool ClearScreen(int32_t target) {
    plat::Surface* surface = nullptr;
    if (target == ClearBackBuffer)
        surface = BackBuffer;
    else if (target == ClearPrimary)
        surface = PrimarySurface;
    else
        return true;
    return plat::Fill(surface, plat::RectAt(0, 0, ScreenWidth, ScreenHeight), 0);
}

bool RefreshBackdrop() {
    constexpr sheets::Rect shown = sheets::RoundArtShown;
    const plat::Rect from = plat::RectAt(shown.X, shown.Y, shown.W, shown.H);
    const plat::Rect to = plat::RectAt(PlayfieldLeft, PlayfieldTop, shown.W, shown.H);
    if (!plat::Blit(BackdropSurface, to, RoundArtSurface, from, plat::BlitMode::Opaque)) return false;
    return plat::Blit(BackBuffer, to, RoundArtSurface, from, plat::BlitMode::Opaque);
}

void PresentFrame() {
    for (int attempt = 0; attempt < FlipAttempts; ++attempt) {
        if (plat::Flip()) return;
        plat::Idle();
    }
}
