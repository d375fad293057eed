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
namespace {

Backend& s = state;
PresentCounters counters;

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

// 32-bit pixels like the window's own, so that scaling is a plain stretch
// instead of a per-pixel format conversion; the words are converted here.
bool CreateTexture() {
    s.Texture = SDL_CreateTexture(s.Renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, s.Width, s.Height);
    if (s.Texture == nullptr) return false;
    SDL_SetTextureScaleMode(s.Texture, SDL_ScaleModeNearest);
    s.OnScreen.clear();
    s.Redraw = true;
    return true;
}

bool Upload(const Surface& primary, int32_t firstRow, int32_t rows) {
    const SDL_Rect area{0, firstRow, primary.Width, rows};
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(s.Texture, &area, &pixels, &pitch) != 0) return false;
    const WordLayout layout = DisplayWordLayout();
    for (int32_t y = 0; y < rows; ++y) {
        const size_t at = static_cast<size_t>(firstRow + y) * static_cast<size_t>(primary.PitchWords);
        ConvertRow(primary.Words.data() + at, reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + y * pitch),
                   primary.Width, layout);
        std::copy_n(primary.Words.data() + at, primary.Width, s.OnScreen.data() + at);
    }
    SDL_UnlockTexture(s.Texture);
    return true;
}

// Shows a page. Only the rows that changed are converted, and a picture
// already on screen is not sent again unless the window lost it.
void Show(const Surface* primary) {
    if (s.Renderer == nullptr || s.Texture == nullptr || primary == nullptr) return;
    const uint64_t start = backend::NowMicros();
    s.PrimaryPending = false;
    s.LastPresent = start;
    RowSpan rows{0, primary->Height - 1};
    if (s.OnScreen.size() == primary->Words.size()) {
        rows =
            ChangedRows(primary->Words.data(), s.OnScreen.data(), primary->PitchWords, primary->Width, primary->Height);
    } else {
        s.OnScreen.assign(primary->Words.size(), 0);
    }
    if (rows.Empty() && !s.Redraw) {
        ++counters.Unchanged;
        return;
    }
    if (!rows.Empty() && !Upload(*primary, rows.First, rows.Last - rows.First + 1)) {
        // A lost texture: make it again and send the whole picture.
        SDL_DestroyTexture(s.Texture);
        s.Texture = nullptr;
        if (!CreateTexture()) return;
        s.OnScreen.assign(primary->Words.size(), 0);
        if (!Upload(*primary, 0, primary->Height)) return;
    }
    SDL_SetRenderDrawColor(s.Renderer, 0, 0, 0, 255);
    SDL_RenderClear(s.Renderer);  // the bars beside the picture
    SDL_RenderCopy(s.Renderer, s.Texture, nullptr, nullptr);
    SDL_RenderPresent(s.Renderer);
    s.Redraw = false;
    ++counters.Presents;
    counters.PresentMicros += backend::NowMicros() - start;
}

void WaitUntil(uint64_t deadline) {
    for (;;) {
        backend::PumpEvents();
        const uint64_t now = backend::NowMicros();
        if (now >= deadline) return;
        // Short naps keep a close request and the keys fresh.
        backend::Sleep(static_cast<uint32_t>(std::min<uint64_t>(deadline - now, 2000)));
    }
}

}  // namespace

void SetPresentationDirty() { s.Redraw = true; }

// A draw on the primary, or a window that lost its picture, is shown at the
// latest one emulated refresh later, without waiting for a flip; many small
// draws in a row cost one present, not one each.
void PresentPrimaryIfDue() {
    if ((s.PrimaryPending || s.Redraw) && backend::NowMicros() - s.LastPresent >= TickMicros)
        Show(core::Chain().Primary);
}

void ReleaseRenderer() {
    if (s.Texture != nullptr) SDL_DestroyTexture(s.Texture);
    if (s.Renderer != nullptr) SDL_DestroyRenderer(s.Renderer);
    s.Texture = nullptr;
    s.Renderer = nullptr;
    s.OnScreen.clear();
    s.PrimaryPending = false;
}

void RecreateTexture() {
    if (s.Renderer == nullptr || s.Texture == nullptr) return;
    SDL_DestroyTexture(s.Texture);
    s.Texture = nullptr;
    CreateTexture();
}

}  // namespace sdl::detail

using sdl::detail::s;

namespace backend {

bool OpenDisplay(int32_t width, int32_t height, PixelFormat* format) {
    if (s.Window == nullptr) {
        core::SetLastError("DisplaySetMode: no window");
        return false;
    }
    if (s.Renderer == nullptr) {
        s.Renderer = sdl::detail::ChooseRenderer(s.Window);
        if (s.Renderer == nullptr) {
            sdl::detail::SetSdlError("DisplaySetMode");
            return false;
        }
    }
    // Scaled as large as fits, shape kept, black bars elsewhere.
    if (SDL_RenderSetLogicalSize(s.Renderer, width, height) != 0) {
        sdl::detail::SetSdlError("DisplaySetMode");
        sdl::detail::ReleaseRenderer();
        return false;
    }
    s.Width = width;
    s.Height = height;
    if (s.Texture != nullptr) SDL_DestroyTexture(s.Texture);
    s.Texture = nullptr;
    if (!sdl::detail::CreateTexture()) {
        sdl::detail::SetSdlError("DisplaySetMode");
        sdl::detail::ReleaseRenderer();
        return false;
    }
    SDL_ShowWindow(s.Window);
    SDL_RaiseWindow(s.Window);
    s.Shown = true;
    s.Minimized = false;
    SDL_SetRenderDrawColor(s.Renderer, 0, 0, 0, 255);
    SDL_RenderClear(s.Renderer);
    SDL_RenderPresent(s.Renderer);
    s.Epoch = NowMicros();
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
    if (s.Window != nullptr && s.Shown) SDL_HideWindow(s.Window);
    s.Shown = false;
}

// Frozen while in the background; a close request ends the wait at once.
PresentResult Present(const Surface& page) {
    PumpEvents();
    while (!sdl::detail::Active() && !core::CloseRequested()) {
        Sleep(10000);
        PumpEvents();
    }
    sdl::detail::Show(&page);
    sdl::detail::WaitUntil(s.Epoch + sdl::NextTickMicros(NowMicros() - s.Epoch));
    return PresentResult::Shown;
}

// The layer's pages live in memory: nothing of them is ever lost.
RestoreResult RestoreDisplay() { return RestoreResult::Restored; }

void ShowArea(const Surface&, const Rect&) {
    s.PrimaryPending = true;
    sdl::detail::PresentPrimaryIfDue();
}

}  // namespace backend

namespace sdl {

std::string RendererName() {
    SDL_RendererInfo info;
    if (detail::s.Renderer == nullptr || SDL_GetRendererInfo(detail::s.Renderer, &info) != 0) return "";
    return info.name != nullptr ? info.name : "";
}

bool ReadScreen(int32_t* width, int32_t* height, std::vector<uint32_t>* pixels) {
    if (detail::s.Renderer == nullptr || width == nullptr || height == nullptr || pixels == nullptr) return false;
    // The whole window, bars included.
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(detail::s.Renderer, &w, &h) != 0) return false;
    int logicalW = 0, logicalH = 0;
    SDL_RenderGetLogicalSize(detail::s.Renderer, &logicalW, &logicalH);
    SDL_RenderSetLogicalSize(detail::s.Renderer, 0, 0);
    pixels->assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    const int read = SDL_RenderReadPixels(detail::s.Renderer, nullptr, SDL_PIXELFORMAT_RGB888, pixels->data(), w * 4);
    SDL_RenderSetLogicalSize(detail::s.Renderer, logicalW, logicalH);
    if (read != 0) return false;
    *width = w;
    *height = h;
    return true;
}

PresentCounters GetPresentCounters() { return detail::counters; }

}  // namespace sdl
}  // namespace plat
