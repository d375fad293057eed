// The display and its flip chain: the layer's Windows-shaped calls over the
// back end's open, present and restore.
#include <functional>
#include <string>
#include <utility>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/core_state.h"
#include "platform/platform.h"

namespace plat {
namespace {

using core::detail::Failing;
using core::detail::Flags;
using core::detail::Need;

// How long, in all, the game may wait in front of a display whose lost
// surfaces will not come back before flips stop waiting for them. Time in
// the background does not count: there the game is meant to freeze.
constexpr uint64_t RestoreBudgetMicros = 3000000;
constexpr uint32_t RestorePauseMicros = 10000;

struct DisplayState {
    int32_t Width = 0, Height = 0;
    PixelFormat Format;
    bool Lost = false;          // Present said so, and no restore has worked yet
    uint64_t RestoreSpent = 0;  // micros spent in front trying to restore
};
DisplayState display;
std::function<void(uint64_t)> flipObserver;

// Brings lost surfaces back. False when the game asked to close meanwhile or
// the budget is spent (LastError says which).
bool RestoreLost() {
    for (;;) {
        const uint64_t start = backend::NowMicros();
        const backend::RestoreResult result = backend::RestoreDisplay();
        if (result == backend::RestoreResult::Restored) {
            display.Lost = false;
            return true;
        }
        core::detail::Pump();
        if (core::CloseRequested()) return false;
        if (result == backend::RestoreResult::Failed && display.RestoreSpent >= RestoreBudgetMicros) {
            core::SetLastError("Flip: the display's lost surfaces cannot be restored");
            return false;
        }
        backend::Sleep(RestorePauseMicros);
        if (result == backend::RestoreResult::Failed) display.RestoreSpent += backend::NowMicros() - start;
    }
}

// Shows the primary surface's new picture. A close request while the display
// is lost counts as shown, so that the game goes on to its quit message. The
// budget is given back only once a page is shown: surfaces lost again as soon
// as they are restored are a restore that did not work.
bool ShowNewPage() {
    for (bool restored = false;; restored = true) {
        const uint64_t start = backend::NowMicros();
        switch (backend::Present(*core::Chain().Primary)) {
            case backend::PresentResult::Shown: display.RestoreSpent = 0; return true;
            case backend::PresentResult::Failed: return false;
            case backend::PresentResult::Lost: break;
        }
        display.Lost = true;
        if (restored) {
            core::detail::Pump();
            if (core::CloseRequested()) return true;
            if (display.RestoreSpent >= RestoreBudgetMicros) {
                core::SetLastError("Flip: the display loses its surfaces again after every restore");
                return false;
            }
            backend::Sleep(RestorePauseMicros);
            display.RestoreSpent += backend::NowMicros() - start;
        }
        if (!RestoreLost()) return core::CloseRequested();
    }
}

}  // namespace

namespace core {
void SetFlipObserver(std::function<void(uint64_t)> observer) { flipObserver = std::move(observer); }

namespace detail {
void ResetDisplay() {
    display = DisplayState{};
    flipObserver = nullptr;
}
}  // namespace detail
}  // namespace core

bool DisplayCreate() {
    if (Failing(core::Step::DisplayCreate, "DisplayCreate")) return false;
    Flags().Display = true;
    return true;
}

bool DisplaySetCooperativeLevel() {
    if (!Need(Flags().Display, "DisplaySetCooperativeLevel", "no display")) return false;
    return !Failing(core::Step::DisplayCooperativeLevel, "DisplaySetCooperativeLevel");
}

bool DisplaySetMode(int32_t width, int32_t height, int32_t bitsPerPixel) {
    if (!Need(Flags().Display, "DisplaySetMode", "no display")) return false;
    if (Failing(core::Step::DisplayMode, "DisplaySetMode")) return false;
    if (!Need(width > 0 && height > 0 && width <= 16384 && height <= 16384 && bitsPerPixel == 16, "DisplaySetMode",
              "only 16-bit modes exist"))
        return false;
    if (!Need(core::Chain().Primary == nullptr, "DisplaySetMode", "the flip chain exists already")) return false;
    PixelFormat format;
    if (!backend::OpenDisplay(width, height, &format)) return false;
    display.Width = width;
    display.Height = height;
    display.Format = format;
    Flags().DisplayModeSet = true;
    return true;
}

bool DisplayCreatePrimary(Surface** primary) {
    if (!Need(Flags().DisplayModeSet && primary != nullptr, "DisplayCreatePrimary", "no display mode")) return false;
    if (Failing(core::Step::PrimarySurface, "DisplayCreatePrimary")) return false;
    *primary = core::detail::MakeFlipChain(display.Width, display.Height);
    return *primary != nullptr;
}

bool DisplayGetBackBuffer(Surface** backBuffer) {
    return !Failing(core::Step::BackBuffer, "DisplayGetBackBuffer") && core::detail::GetBackBuffer(backBuffer);
}

bool DisplayGetPixelFormat(PixelFormat* format) {
    if (!Need(core::Chain().Primary != nullptr && format != nullptr, "DisplayGetPixelFormat", "no primary surface"))
        return false;
    if (Failing(core::Step::PixelFormat, "DisplayGetPixelFormat")) return false;
    *format = display.Format;
    return true;
}

bool DisplayCreateSurface(int32_t width, int32_t height, Surface** surface) {
    if (!Need(Flags().Display && surface != nullptr, "DisplayCreateSurface", "no display")) return false;
    if (Failing(core::Step::OffscreenSurface, "DisplayCreateSurface")) return false;
    Surface* made = core::NewSurface(width, height);
    if (made == nullptr) return false;
    *surface = made;
    return true;
}

void ReleaseSurface(Surface* surface) { core::FreeSurface(surface); }

void DisplayRelease() {
    core::detail::FreeAllSurfaces();
    if (Flags().DisplayModeSet) backend::CloseDisplay();
    Flags().Display = false;
    Flags().DisplayModeSet = false;
    display.Lost = false;
    display.RestoreSpent = 0;
}

// The pictures are exchanged first, so that the back end shows the primary
// surface as the game will find it; a page that could not be shown is
// exchanged back, leaving both pictures where the game's erase rules expect.
bool Flip() {
    const core::FlipChain& chain = core::Chain();
    if (!Need(chain.Primary != nullptr && chain.Back != nullptr, "Flip", "no flip chain")) return false;
    if (!Need(!chain.Primary->Locked && !chain.Back->Locked, "Flip", "a surface of the flip chain is locked"))
        return false;
    if (Failing(core::Step::Flip, "Flip")) return false;
    core::detail::SwapChain();
    if (!ShowNewPage()) {
        core::detail::SwapChain();
        return false;
    }
    const uint64_t flips = ++core::MutableStats().Flips;
    if (flipObserver) flipObserver(flips);
    return true;
}

}  // namespace plat
