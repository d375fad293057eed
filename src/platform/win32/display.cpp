// The Windows back end's display: DirectDraw in an exclusive full-screen
// mode with a two-surface flip chain. The game draws into the layer's own
// surfaces; presenting copies its primary into the DirectDraw back buffer and
// flips.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/core.h"
#include "platform/win32/win32_api.h"

namespace plat {
namespace win32::detail {
namespace {

// A lost surface that the window in front still cannot restore after this
// many tries, 10 ms apart, is given up on for this frame.
constexpr int RestoreTries = 100;

bool NeedDisplay(const char* caller) {
    if (state.DDraw != nullptr) return true;
    core::SetLastError(std::string(caller) + ": no display");
    return false;
}

// Copies rows [top, bottom) and columns [left, right) of the layer's primary
// into a locked DirectDraw surface of the display's size.
void CopyWords(const Surface& from, const DDSURFACEDESC& to, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    auto* base = static_cast<uint8_t*>(to.lpSurface);
    const size_t bytes = static_cast<size_t>(right - left) * sizeof(uint16_t);
    for (int32_t y = top; y < bottom; ++y)
        std::memcpy(base + static_cast<ptrdiff_t>(y) * to.lPitch + static_cast<ptrdiff_t>(left) * 2,
                    from.Words.data() + static_cast<size_t>(y) * static_cast<size_t>(from.PitchWords) + left, bytes);
}

HRESULT CopyFrame(IDirectDrawSurface* target, const Surface& primary, int32_t left, int32_t top, int32_t right,
                  int32_t bottom) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    HRESULT result = target->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    if (FAILED(result)) return result;
    // The words go as they are: the display shows them in its own layout.
    right = std::min<int32_t>({right, primary.Width, static_cast<int32_t>(desc.dwWidth)});
    bottom = std::min<int32_t>({bottom, primary.Height, static_cast<int32_t>(desc.dwHeight)});
    if (desc.ddpfPixelFormat.dwRGBBitCount == 16 && left < right && top < bottom)
        CopyWords(primary, desc, left, top, right, bottom);
    return target->Unlock(nullptr);
}

// Restores the flip chain after a mode switch took it away. In the
// background that cannot succeed: the game waits there, frozen, until it is
// in front again or asked to close.
bool RestoreChain() {
    int tries = 0;
    for (;;) {
        const HRESULT result = state.Front->Restore();
        if (SUCCEEDED(result)) return true;
        Pump();
        if (state.CloseRequested) return false;
        if (state.Active && ++tries >= RestoreTries) {
            SetResultError("Flip: restoring the lost display surfaces", result);
            return false;
        }
        Sleep(10);
    }
}

}  // namespace
}  // namespace win32::detail

using win32::detail::state;

namespace backend {
// A draw straight onto the primary shows at once on the displayed surface.
void PrimaryUpdated(const Rect& area) {
    const Surface* primary = core::Chain().Primary;
    if (state.Front == nullptr || primary == nullptr) return;
    const int32_t left = std::max(area.Left, 0), top = std::max(area.Top, 0);
    // A lost surface is restored, and the whole picture sent, at the next flip.
    win32::detail::CopyFrame(state.Front, *primary, left, top, area.Right, area.Bottom);
}
}  // namespace backend

bool DisplayCreate() {
    if (state.DDraw != nullptr) return true;
    const HRESULT result = DirectDrawCreate(nullptr, &state.DDraw, nullptr);
    if (FAILED(result)) {
        state.DDraw = nullptr;
        win32::detail::SetResultError("DirectDrawCreate", result);
        return false;
    }
    return true;
}

bool DisplaySetCooperativeLevel() {
    if (!win32::detail::NeedDisplay("DisplaySetCooperativeLevel")) return false;
    const HRESULT result = state.DDraw->SetCooperativeLevel(
        state.Window, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX);
    if (FAILED(result)) {
        win32::detail::SetResultError("IDirectDraw::SetCooperativeLevel", result);
        return false;
    }
    return true;
}

bool DisplaySetMode(int32_t width, int32_t height, int32_t bitsPerPixel) {
    if (!win32::detail::NeedDisplay("DisplaySetMode")) return false;
    if (width <= 0 || height <= 0 || bitsPerPixel != 16) {
        core::SetLastError("DisplaySetMode: only 16-bit modes exist");
        return false;
    }
    const HRESULT result = state.DDraw->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                                       static_cast<DWORD>(bitsPerPixel));
    if (FAILED(result)) {
        win32::detail::SetResultError("IDirectDraw::SetDisplayMode", result);
        return false;
    }
    state.Width = width;
    state.Height = height;
    state.ModeSet = true;
    return true;
}

bool DisplayCreatePrimary(Surface** primary) {
    if (!state.ModeSet || primary == nullptr) {
        core::SetLastError("DisplayCreatePrimary: no display mode");
        return false;
    }
    auto& chain = core::Chain();
    if (chain.Primary != nullptr) {
        core::SetLastError("DisplayCreatePrimary: the flip chain exists already");
        return false;
    }
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    HRESULT result = state.DDraw->CreateSurface(&desc, &state.Front, nullptr);
    if (FAILED(result)) {
        state.Front = nullptr;
        win32::detail::SetResultError("IDirectDraw::CreateSurface (primary)", result);
        return false;
    }
    DDSCAPS caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    result = state.Front->GetAttachedSurface(&caps, &state.Back);
    if (FAILED(result)) {
        state.Back = nullptr;
        win32::detail::ReleaseCom(state.Front);
        win32::detail::SetResultError("IDirectDrawSurface::GetAttachedSurface", result);
        return false;
    }
    *primary = core::MakeFlipChain(state.Width, state.Height);
    return *primary != nullptr;
}

bool DisplayGetBackBuffer(Surface** backBuffer) { return core::GetBackBuffer(backBuffer); }

// The display's own layout, as the bitmap loader needs it to pack.
bool DisplayGetPixelFormat(PixelFormat* format) {
    if (state.Front == nullptr || format == nullptr) {
        core::SetLastError("DisplayGetPixelFormat: no primary surface");
        return false;
    }
    DDPIXELFORMAT pixels{};
    pixels.dwSize = sizeof pixels;
    const HRESULT result = state.Front->GetPixelFormat(&pixels);
    if (FAILED(result)) {
        win32::detail::SetResultError("IDirectDrawSurface::GetPixelFormat", result);
        return false;
    }
    format->RgbBitCount = pixels.dwRGBBitCount;
    format->RedMask = pixels.dwRBitMask;
    format->GreenMask = pixels.dwGBitMask;
    format->BlueMask = pixels.dwBBitMask;
    return true;
}

bool DisplayCreateSurface(int32_t width, int32_t height, Surface** surface) {
    if (!win32::detail::NeedDisplay("DisplayCreateSurface") || surface == nullptr) return false;
    Surface* made = core::NewSurface(width, height);
    if (made == nullptr) return false;
    *surface = made;
    return true;
}

void ReleaseSurface(Surface* surface) { core::FreeSurface(surface); }

// Releasing DirectDraw gives the display its own mode back.
void DisplayRelease() {
    core::FreeAllSurfaces();
    win32::detail::ReleaseCom(state.Back);
    win32::detail::ReleaseCom(state.Front);
    win32::detail::ReleaseCom(state.DDraw);
    state.ModeSet = false;
}

bool Flip() {
    auto& chain = core::Chain();
    if (chain.Primary == nullptr || chain.Back == nullptr || state.Front == nullptr) {
        core::SetLastError("Flip: no flip chain");
        return false;
    }
    if (chain.Primary->Locked || chain.Back->Locked) {
        core::SetLastError("Flip: a surface of the flip chain is locked");
        return false;
    }
    core::SwapChain();
    core::CountFlip();
    win32::detail::Pump();
    // The whole frame lives in the layer's primary, so after a restore it is
    // simply sent again.
    for (;;) {
        HRESULT result =
            win32::detail::CopyFrame(state.Back, *chain.Primary, 0, 0, chain.Primary->Width, chain.Primary->Height);
        if (SUCCEEDED(result)) result = state.Front->Flip(nullptr, DDFLIP_WAIT);
        if (SUCCEEDED(result)) return true;
        if (result != DDERR_SURFACELOST) {
            win32::detail::SetResultError("IDirectDrawSurface::Flip", result);
            return false;
        }
        // Asked to close while in the background: the frame is not shown,
        // and the flip counts as done so the game reaches its quit message.
        if (!win32::detail::RestoreChain()) return state.CloseRequested;
    }
}

}  // namespace plat
