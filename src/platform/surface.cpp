// Software surfaces: creation, locking and colour keys.
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core.h"
#include "platform/core_state.h"
#include "platform/platform.h"

namespace plat {
namespace {

std::vector<std::unique_ptr<Surface>>& Registry() {
    static std::vector<std::unique_ptr<Surface>> surfaces;
    return surfaces;
}

core::FlipChain chain;
std::string lastError;
Stats stats;

}  // namespace

namespace core {

Surface* NewSurface(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        SetLastError("surface size " + std::to_string(width) + " x " + std::to_string(height) + " is out of range");
        return nullptr;
    }
    auto surface = std::make_unique<Surface>();
    surface->Width = width;
    surface->Height = height;
    // Rows start on four-byte boundaries, as display memory rows do.
    surface->PitchWords = (width + 1) & ~1;
    surface->Words.assign(static_cast<size_t>(surface->PitchWords) * static_cast<size_t>(height), 0);
    Registry().push_back(std::move(surface));
    return Registry().back().get();
}

void FreeSurface(Surface* surface) {
    auto& surfaces = Registry();
    auto it =
        std::find_if(surfaces.begin(), surfaces.end(), [surface](const auto& owned) { return owned.get() == surface; });
    if (it == surfaces.end()) return;
    if (chain.Primary == surface) chain.Primary = nullptr;
    if (chain.Back == surface) chain.Back = nullptr;
    surfaces.erase(it);
}

size_t LiveSurfaceCount() { return Registry().size(); }

const FlipChain& Chain() { return chain; }

void SetLastError(std::string text) { lastError = std::move(text); }

Stats& MutableStats() { return stats; }

namespace detail {

void FreeAllSurfaces() {
    chain = FlipChain{};
    Registry().clear();
}

Surface* MakeFlipChain(int32_t width, int32_t height) {
    if (chain.Primary != nullptr) {
        SetLastError("DisplayCreatePrimary: the flip chain exists already");
        return nullptr;
    }
    Surface* primary = NewSurface(width, height);
    Surface* back = primary != nullptr ? NewSurface(width, height) : nullptr;
    if (back == nullptr) {
        FreeSurface(primary);
        return nullptr;
    }
    primary->IsPrimary = true;
    chain = FlipChain{primary, back};
    return primary;
}

bool GetBackBuffer(Surface** backBuffer) {
    if (chain.Back == nullptr || backBuffer == nullptr) {
        SetLastError("DisplayGetBackBuffer: no flip chain");
        return false;
    }
    *backBuffer = chain.Back;
    return true;
}

void SwapChain() {
    if (chain.Primary == nullptr || chain.Back == nullptr) return;
    std::swap(chain.Primary->Words, chain.Back->Words);
}

}  // namespace detail
}  // namespace core

const Stats& GetStats() { return stats; }
void ResetStats() { stats = Stats{}; }
const char* LastError() { return lastError.c_str(); }

bool Lock(Surface* surface, SurfaceLock* lock) {
    if (surface == nullptr || lock == nullptr || surface->Locked) return false;
    surface->Locked = true;
    lock->Words = surface->Words.data();
    lock->PitchBytes = surface->PitchWords * 2;
    return true;
}

void Unlock(Surface* surface) {
    if (surface != nullptr) surface->Locked = false;
}

void SetColorKey(Surface* surface, uint16_t low, uint16_t high) {
    if (surface == nullptr) return;
    surface->HasColorKey = true;
    surface->KeyLow = low;
    surface->KeyHigh = high;
}

}  // namespace plat
