// The SDL back end's display: the renderer, the picture's texture, flips on
// an emulated 60 Hz display, and draws straight onto the primary surface.
#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstring>
#include <string>

#if defined(__linux__)
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/platform.h"
#include "platform/sdl/backend_state.h"
#include "platform/sdl/presentation.h"
#include "platform/sdl/quiet_stderr.h"
#include "platform/sdl/sdl_backend.h"

namespace plat {
namespace sdl::detail {

PresentCounters counters;

namespace {

bool DrawsOnCpu(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || (info.flags & SDL_RENDERER_SOFTWARE) != 0) return true;
    const std::string name = info.name != nullptr ? info.name : "";
    if (name.rfind("opengl", 0) != 0) return false;
    // The GL renderer made its context current on this thread.
    using GetString = const GLubyte*(APIENTRY*)(GLenum);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const GLubyte* text = getString != nullptr ? getString(GL_RENDERER) : nullptr;
    return text != nullptr && IsSoftwareGl(reinterpret_cast<const char*>(text));
}

// Whether this process may use a GPU at all: a render node it can open.
// Without one every OpenGL is a CPU rasteriser, and trying one would load
// tens of megabytes of driver and compiler only to throw them away.
bool MayHaveGpu() {
#if defined(__linux__)
    DIR* dri = opendir("/dev/dri");
    if (dri == nullptr) return false;
    bool found = false;
    while (const dirent* entry = readdir(dri)) {
        if (std::strncmp(entry->d_name, "renderD", 7) != 0) continue;
        const int fd = open((std::string("/dev/dri/") + entry->d_name).c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            close(fd);
            found = true;
            break;
        }
    }
    closedir(dri);
    return found;
#else
    return true;
#endif
}

// A GPU renderer when there is a GPU. Without one, SDL's default draws through
// a CPU OpenGL, several times dearer than its own software renderer writing
// straight into the window.
SDL_Renderer* ChooseRenderer(SDL_Window* window) {
    const char* forced = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    if (forced != nullptr && *forced != '\0') {
        if (SDL_strcasecmp(forced, "software") == 0) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        return SDL_CreateRenderer(window, -1, 0);
    }
    if (!MayHaveGpu()) {
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        return SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    }
    SDL_Renderer* renderer = nullptr;
    {
        QuietStderr quiet;
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    }
    if (renderer != nullptr && !DrawsOnCpu(renderer)) return renderer;
    if (renderer != nullptr) SDL_DestroyRenderer(renderer);
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    return SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
}

// Brings the words of `area` into the picture's 32-bit pixels and notes them
// as shown.
void Convert(const Surface& page, const Rect& area) {
    const WordLayout layout = DisplayWordLayout();
    const size_t pitch = static_cast<size_t>(page.PitchWords);
    for (int32_t y = area.Top; y < area.Bottom; ++y) {
        const size_t at = static_cast<size_t>(y) * pitch + static_cast<size_t>(area.Left);
        ConvertRow(page.Words.data() + at, state.Picture.data() + static_cast<size_t>(y) * page.Width + area.Left,
                   area.Right - area.Left, layout);
        std::copy_n(page.Words.data() + at, area.Right - area.Left, state.OnScreen.data() + at);
    }
}

// Fits the picture to a window of `width` x `height` pixels; true when the
// whole window must be drawn again.
bool Place(int32_t width, int32_t height) {
    const Rect placed = PlacePicture(state.Width, state.Height, width, height);
    const bool moved = placed.Left != state.Placed.Left || placed.Top != state.Placed.Top ||
                       placed.Right != state.Placed.Right || placed.Bottom != state.Placed.Bottom;
    state.Placed = placed;
    return state.Scaler.Resize(state.Width, state.Height, placed.Right - placed.Left, placed.Bottom - placed.Top) ||
           moved;
}

// The software renderer draws into the window's own surface: the scaled
// areas go straight there, and only they are sent to the window system.
bool DrawSoftware(const std::vector<Rect>& areas, bool whole) {
    SDL_Surface* surface = SDL_GetWindowSurface(state.Window);
    if (surface == nullptr) return false;
    whole = Place(surface->w, surface->h) || whole;
    std::vector<SDL_Rect> sent;
    std::vector<Rect> shown;
    if (whole) {
        shown.push_back(Rect{0, 0, state.Scaler.ShownWidth(), state.Scaler.ShownHeight()});
    } else {
        for (const Rect& area : areas) {
            const Rect reach = state.Scaler.Reach(area);
            if (reach.Right > reach.Left && reach.Bottom > reach.Top) shown.push_back(reach);
        }
    }
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    if (whole) SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));  // the bars
    // Window surfaces are nearly always 0x00RRGGBB words; others take a
    // conversion of each area.
    const bool direct = surface->format->format == SDL_PIXELFORMAT_RGB888;
    std::vector<uint32_t> scratch;
    for (const Rect& area : shown) {
        const int32_t w = area.Right - area.Left, h = area.Bottom - area.Top;
        const int32_t x = state.Placed.Left + area.Left, y = state.Placed.Top + area.Top;
        uint8_t* target = static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch +
                          static_cast<size_t>(x) * surface->format->BytesPerPixel;
        if (direct) {
            state.Scaler.Draw(state.Picture.data(), state.Width, area, reinterpret_cast<uint32_t*>(target),
                              surface->pitch / 4);
        } else {
            scratch.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
            state.Scaler.Draw(state.Picture.data(), state.Width, area, scratch.data(), w);
            SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, scratch.data(), w * 4, surface->format->format, target,
                              surface->pitch);
        }
        sent.push_back(SDL_Rect{x, y, w, h});
        counters.PixelsDrawn += static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (whole) return SDL_UpdateWindowSurface(state.Window) == 0;
    return sent.empty() || SDL_UpdateWindowSurfaceRects(state.Window, sent.data(), static_cast<int>(sent.size())) == 0;
}

// An accelerated renderer keeps the scaled picture in a texture of the
// window's size; the changed areas are scaled into it and it is drawn 1:1.
bool DrawAccelerated(const std::vector<Rect>& areas, bool whole) {
    int width = 0, height = 0;
    if (SDL_GetRendererOutputSize(state.Renderer, &width, &height) != 0) return false;
    whole = Place(width, height) || whole;
    const int32_t shownW = state.Scaler.ShownWidth(), shownH = state.Scaler.ShownHeight();
    int textureW = 0, textureH = 0;
    if (state.Texture != nullptr && (SDL_QueryTexture(state.Texture, nullptr, nullptr, &textureW, &textureH) != 0 ||
                                     textureW != shownW || textureH != shownH)) {
        SDL_DestroyTexture(state.Texture);
        state.Texture = nullptr;
    }
    if (state.Texture == nullptr) {
        if (shownW <= 0 || shownH <= 0) return false;
        state.Texture =
            SDL_CreateTexture(state.Renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, shownW, shownH);
        if (state.Texture == nullptr) return false;
        SDL_SetTextureScaleMode(state.Texture, SDL_ScaleModeNearest);
        whole = true;
    }
    std::vector<Rect> shown;
    if (whole) {
        shown.push_back(Rect{0, 0, shownW, shownH});
    } else {
        for (const Rect& area : areas) {
            const Rect reach = state.Scaler.Reach(area);
            if (reach.Right > reach.Left && reach.Bottom > reach.Top) shown.push_back(reach);
        }
    }
    for (const Rect& area : shown) {
        const SDL_Rect rect{area.Left, area.Top, area.Right - area.Left, area.Bottom - area.Top};
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(state.Texture, &rect, &pixels, &pitch) != 0) {
            // A lost texture: made again, with everything, next time.
            SDL_DestroyTexture(state.Texture);
            state.Texture = nullptr;
            return false;
        }
        state.Scaler.Draw(state.Picture.data(), state.Width, area, static_cast<uint32_t*>(pixels), pitch / 4);
        SDL_UnlockTexture(state.Texture);
        counters.PixelsDrawn += static_cast<uint64_t>(rect.w) * static_cast<uint64_t>(rect.h);
    }
    const SDL_Rect placed{state.Placed.Left, state.Placed.Top, shownW, shownH};
    SDL_SetRenderDrawColor(state.Renderer, 0, 0, 0, 255);
    SDL_RenderClear(state.Renderer);  // the bars beside the picture
    SDL_RenderCopy(state.Renderer, state.Texture, nullptr, &placed);
    SDL_RenderPresent(state.Renderer);
    return true;
}

// Shows a page. Only the areas that changed are converted and scaled, and a
// picture already on screen is not drawn again unless the window lost it.
void Show(const Surface* primary) {
    if (state.Renderer == nullptr || primary == nullptr || primary->Width != state.Width ||
        primary->Height != state.Height || primary->PitchWords < primary->Width ||
        primary->Words.size() < static_cast<size_t>(primary->PitchWords) * static_cast<size_t>(primary->Height))
        return;
    const uint64_t start = backend::NowMicros();
    state.PrimaryPending = false;
    state.LastPresent = start;
    std::vector<Rect> areas;
    const bool whole = state.OnScreen.size() != primary->Words.size() || state.Redraw;
    if (whole) {
        state.OnScreen.assign(primary->Words.size(), 0);
        state.Picture.assign(static_cast<size_t>(state.Width) * static_cast<size_t>(state.Height), 0);
        state.RowHashes.resize(static_cast<size_t>(state.Height));
        for (int32_t y = 0; y < state.Height; ++y)
            state.RowHashes[static_cast<size_t>(y)] = RowHash(
                primary->Words.data() + static_cast<size_t>(y) * static_cast<size_t>(primary->PitchWords), state.Width);
        areas.push_back(Rect{0, 0, state.Width, state.Height});
    } else {
        areas = ChangedAreas(primary->Words.data(), state.OnScreen.data(), primary->PitchWords, primary->Width,
                             primary->Height, &state.RowHashes);
        if (areas.empty()) {
            ++counters.Unchanged;
            return;
        }
    }
    for (const Rect& area : areas) Convert(*primary, area);
    const bool drawn = state.Software ? DrawSoftware(areas, whole) : DrawAccelerated(areas, whole);
    // What could not be drawn is drawn whole next time.
    state.Redraw = !drawn;
    ++counters.Presents;
    counters.PresentMicros += backend::NowMicros() - start;
}

void WaitUntil(uint64_t deadline) {
    // One sleep to the tick, to the microsecond: events wait for the pump
    // after it, at most a tick later, and the process wakes once a flip.
    for (;;) {
        backend::PumpEvents();
        const uint64_t now = backend::NowMicros();
        if (now >= deadline) return;
        backend::Sleep(static_cast<uint32_t>(std::min<uint64_t>(deadline - now, 1000000)));
    }
}

// SDL's software renderer draws into the window's surface, which the display
// then fills itself; every other renderer gets a texture.
bool DrawsIntoWindowSurface(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    return SDL_GetRendererInfo(renderer, &info) == 0 && info.name != nullptr && std::strcmp(info.name, "software") == 0;
}

}  // namespace

void SetPresentationDirty() { state.Redraw = true; }

// A draw on the primary, or a window that lost its picture, is shown at the
// latest one emulated refresh later, without waiting for a flip; many small
// draws in a row cost one present, not one each.
void PresentPrimaryIfDue() {
    if ((state.PrimaryPending || state.Redraw) && backend::NowMicros() - state.LastPresent >= TickMicros)
        Show(core::Chain().Primary);
}

void ReleaseRenderer() {
    if (state.Texture != nullptr) SDL_DestroyTexture(state.Texture);
    if (state.Renderer != nullptr) SDL_DestroyRenderer(state.Renderer);
    state.Texture = nullptr;
    state.Renderer = nullptr;
    state.OnScreen.clear();
    state.RowHashes.clear();
    state.Picture.clear();
    state.Scaler = SharpScaler{};
    state.Placed = Rect{};
    state.PrimaryPending = false;
}

void RecreateTexture() {
    if (state.Texture != nullptr) SDL_DestroyTexture(state.Texture);
    state.Texture = nullptr;
    state.Redraw = true;
}

}  // namespace sdl::detail

using sdl::detail::state;

namespace backend {

bool OpenDisplay(int32_t width, int32_t height, PixelFormat* format) {
    if (state.Window == nullptr) {
        core::SetLastError("DisplaySetMode: no window");
        return false;
    }
    if (state.Renderer == nullptr) {
        state.Renderer = sdl::detail::ChooseRenderer(state.Window);
        if (state.Renderer == nullptr) {
            sdl::detail::SetSdlError("DisplaySetMode");
            return false;
        }
    }
    if (width <= 0 || height <= 0) {
        core::SetLastError("DisplaySetMode: no picture of that size");
        return false;
    }
    state.Software = sdl::detail::DrawsIntoWindowSurface(state.Renderer);
    // Scaled as large as fits, shape kept, black bars elsewhere: placed at
    // the first present, and again whenever the window's size changes.
    state.Width = width;
    state.Height = height;
    state.Placed = Rect{};
    if (state.Texture != nullptr) SDL_DestroyTexture(state.Texture);
    state.Texture = nullptr;
    state.OnScreen.clear();
    state.Redraw = true;
    SDL_ShowWindow(state.Window);
    SDL_RaiseWindow(state.Window);
    state.Shown = true;
    state.Minimized = false;
    SDL_SetRenderDrawColor(state.Renderer, 0, 0, 0, 255);
    SDL_RenderClear(state.Renderer);
    SDL_RenderPresent(state.Renderer);
    state.Epoch = NowMicros();
    sdl::detail::counters = sdl::PresentCounters{};
    const bool wide = DisplayWordLayout() == WordLayout::Rgb565;
    format->RgbBitCount = wide ? 16 : 15;
    format->RedMask = wide ? 0xF800 : 0x7C00;
    format->GreenMask = wide ? 0x07E0 : 0x03E0;
    format->BlueMask = 0x001F;
    return true;
}

void CloseDisplay() {
    sdl::detail::ReleaseRenderer();
    if (state.Window != nullptr && state.Shown) SDL_HideWindow(state.Window);
    state.Shown = false;
}

// Frozen while in the background; a close request ends the wait at once.
PresentResult Present(const Surface& page) {
    PumpEvents();
    while (!sdl::detail::Active() && !core::CloseRequested()) {
        Sleep(10000);
        PumpEvents();
    }
    sdl::detail::Show(&page);
    sdl::detail::WaitUntil(state.Epoch + sdl::NextTickMicros(NowMicros() - state.Epoch));
    return PresentResult::Shown;
}

// The layer's pages live in memory: nothing of them is ever lost.
RestoreResult RestoreDisplay() { return RestoreResult::Restored; }

void ShowArea(const Surface&, const Rect&) {
    state.PrimaryPending = true;
    sdl::detail::PresentPrimaryIfDue();
}

}  // namespace backend
}  // namespace plat
