// The Windows back end's display: DirectDraw in an exclusive full-screen
// mode with a two-surface flip chain. The game draws into the layer's own
// pages; presenting copies the new one into the DirectDraw back buffer and
// flips.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/win32/backend_state.h"

namespace plat {
namespace win32::detail {
namespace {

// Copies rows [top, bottom) and columns [left, right) of a page into a locked
// DirectDraw surface of the display's size.
void CopyWords(const Surface& from, const DDSURFACEDESC& to, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    auto* base = static_cast<uint8_t*>(to.lpSurface);
    const size_t bytes = static_cast<size_t>(right - left) * sizeof(uint16_t);
    for (int32_t y = top; y < bottom; ++y)
        std::memcpy(base + static_cast<ptrdiff_t>(y) * to.lPitch + static_cast<ptrdiff_t>(left) * 2,
                    from.Words.data() + static_cast<size_t>(y) * static_cast<size_t>(from.PitchWords) + left, bytes);
}

HRESULT CopyFrame(IDirectDrawSurface* target, const Surface& page, int32_t left, int32_t top, int32_t right,
                  int32_t bottom) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    HRESULT result = target->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    if (FAILED(result)) return result;
    // The words go as they are: the display shows them in its own layout.
    right = std::min<int32_t>({right, page.Width, static_cast<int32_t>(desc.dwWidth)});
    bottom = std::min<int32_t>({bottom, page.Height, static_cast<int32_t>(desc.dwHeight)});
    if (desc.ddpfPixelFormat.dwRGBBitCount == 16 && left < right && top < bottom)
        CopyWords(page, desc, left, top, right, bottom);
    return target->Unlock(nullptr);
}

void CloseAll() {
    ReleaseCom(state.Back);
    ReleaseCom(state.Front);
    ReleaseCom(state.DDraw);
}

bool Failed(const char* call, HRESULT result) {
    SetResultError(call, result);
    CloseAll();
    return false;
}

}  // namespace
}  // namespace win32::detail

using win32::detail::state;

namespace backend {

// Releasing DirectDraw gives the display its own mode back.
bool OpenDisplay(int32_t width, int32_t height, PixelFormat* format) {
    using win32::detail::Failed;
    if (state.DDraw == nullptr) {
        const HRESULT result = DirectDrawCreate(nullptr, &state.DDraw, nullptr);
        if (FAILED(result)) {
            state.DDraw = nullptr;
            return Failed("DirectDrawCreate", result);
        }
    }
    HRESULT result = state.DDraw->SetCooperativeLevel(
        state.Window, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX);
    if (FAILED(result)) return Failed("IDirectDraw::SetCooperativeLevel", result);
    result = state.DDraw->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height), 16);
    if (FAILED(result)) return Failed("IDirectDraw::SetDisplayMode", result);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    result = state.DDraw->CreateSurface(&desc, &state.Front, nullptr);
    if (FAILED(result)) {
        state.Front = nullptr;
        return Failed("IDirectDraw::CreateSurface (primary)", result);
    }
    DDSCAPS caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    result = state.Front->GetAttachedSurface(&caps, &state.Back);
    if (FAILED(result)) {
        state.Back = nullptr;
        return Failed("IDirectDrawSurface::GetAttachedSurface", result);
    }
    // The display's own layout, as the bitmap loader needs it to pack.
    DDPIXELFORMAT pixels{};
    pixels.dwSize = sizeof pixels;
    result = state.Front->GetPixelFormat(&pixels);
    if (FAILED(result)) return Failed("IDirectDrawSurface::GetPixelFormat", result);
    *format = PixelFormat{pixels.dwRGBBitCount, pixels.dwRBitMask, pixels.dwGBitMask, pixels.dwBBitMask};
    return true;
}

void CloseDisplay() { win32::detail::CloseAll(); }

// The whole frame lives in the layer's page, so after a restore it is simply
// sent again.
PresentResult Present(const Surface& page) {
    PumpEvents();
    if (state.Front == nullptr || state.Back == nullptr) {
        core::SetLastError("Flip: no flip chain");
        return PresentResult::Failed;
    }
    HRESULT result = win32::detail::CopyFrame(state.Back, page, 0, 0, page.Width, page.Height);
    if (SUCCEEDED(result)) result = state.Front->Flip(nullptr, DDFLIP_WAIT);
    if (SUCCEEDED(result)) return PresentResult::Shown;
    if (result == DDERR_SURFACELOST) return PresentResult::Lost;
    win32::detail::SetResultError("IDirectDrawSurface::Flip", result);
    return PresentResult::Failed;
}

// One try. In the background a lost chain cannot come back: the game waits
// there, frozen, until it is in front again.
RestoreResult RestoreDisplay() {
    if (state.Front == nullptr) return RestoreResult::Failed;
    const HRESULT result = state.Front->Restore();
    if (SUCCEEDED(result)) return RestoreResult::Restored;
    if (!state.Active) return RestoreResult::NotNow;
    win32::detail::SetResultError("IDirectDrawSurface::Restore", result);
    return RestoreResult::Failed;
}

// A draw straight onto the primary shows at once on the displayed surface. A
// lost surface is restored, and the whole picture sent, at the next flip.
void ShowArea(const Surface& page, const Rect& area) {
    if (state.Front == nullptr) return;
    const int32_t left = std::max(area.Left, 0), top = std::max(area.Top, 0);
    win32::detail::CopyFrame(state.Front, page, left, top, area.Right, area.Bottom);
}

}  // namespace backend
}  // namespace plat
