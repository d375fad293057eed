// The SDL back end's window, its events and the cursor.
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/platform.h"
#include "platform/sdl/backend_state.h"
#include "platform/sdl/presentation.h"

namespace plat {
namespace sdl::detail {
namespace {

bool exitHookSet = false;

// What the process writes to stderr meanwhile, kept instead of shown: the
// libraries under SDL's video drivers print as they start (the Wayland client
// complains of XDG_RUNTIME_DIR while SDL goes on to X11), and the player must
// see only the game's own line.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        file_ = std::tmpfile();
        saved_ = file_ != nullptr ? dup(STDERR_FILENO) : -1;
        if (saved_ >= 0 && dup2(fileno(file_), STDERR_FILENO) < 0) Restore();
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;
    ~StderrCapture() { Finish(); }

    // Puts stderr back and gives what was written to it (its first 4 KiB).
    std::string Finish() {
        Restore();
        std::string text;
        if (file_ == nullptr) return text;
        std::rewind(file_);
        char buffer[4096];
        text.assign(buffer, std::fread(buffer, 1, sizeof buffer, file_));
        std::fclose(file_);
        file_ = nullptr;
        return text;
    }

private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }
    std::FILE* file_ = nullptr;
    int saved_ = -1;
};

std::string NoDisplay(std::string why, const std::string& printed) {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const std::string note = VideoStartNote(printed, wayland);
    if (!note.empty()) why += " (the system said: " + note + ")";
    return NoDisplayMessage(std::getenv("DISPLAY"), wayland, why);
}

}  // namespace

void ShutDownSdl() {
    ReleaseRenderer();
    CloseAudioDevice();
    if (state.Window != nullptr) SDL_DestroyWindow(state.Window);
    state.Window = nullptr;
    SDL_Quit();
}

namespace {

void ApplyCursor() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
    SDL_ShowCursor(state.CursorHidden ? SDL_DISABLE : SDL_ENABLE);
}

void ToggleFullscreen() {
    if (state.Window == nullptr || state.Width <= 0) return;
    const int display = std::max(0, SDL_GetWindowDisplayIndex(state.Window));
    SDL_Rect bounds{0, 0, state.Width, state.Height};
    SDL_GetDisplayBounds(display, &bounds);
    if (state.Fullscreen) {
        SDL_Rect usable = bounds;
        SDL_GetDisplayUsableBounds(display, &usable);
        SDL_SetWindowFullscreen(state.Window, 0);
        const int scale = sdl::WindowedScale(state.Width, state.Height, bounds.h, usable.w, usable.h);
        SDL_SetWindowSize(state.Window, state.Width * scale, state.Height * scale);
        SDL_SetWindowPosition(state.Window, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                              SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    } else {
        // Desktop-sized first, for window systems that ignore the request.
        SDL_SetWindowPosition(state.Window, bounds.x, bounds.y);
        SDL_SetWindowSize(state.Window, bounds.w, bounds.h);
        SDL_SetWindowFullscreen(state.Window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    state.Fullscreen = !state.Fullscreen;
    SetPresentationDirty();
}

// A key pressed in the window, or a click on it, means the person is here,
// whatever focus the window system last reported: without a window manager,
// focus that went to another window may come back unannounced.
void TakeFocus() {
    if (state.HadFocus) state.Focused = true;
}

void OnWindowEvent(const SDL_WindowEvent& e) {
    switch (e.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            state.HadFocus = true;
            state.Focused = true;
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            state.Focused = false;
            for (int b = 0; b < 4; ++b) core::Feed(ButtonEvent(b, false));
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_HIDDEN: state.Minimized = true; break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            state.Minimized = false;
            SetPresentationDirty();
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED: SetPresentationDirty(); break;
        case SDL_WINDOWEVENT_CLOSE: core::Feed(CloseEvent()); break;
        default: break;
    }
}

void OnEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT:  // also SIGINT and SIGTERM
            core::Feed(CloseEvent());
            break;
        case SDL_WINDOWEVENT: OnWindowEvent(e.window); break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const bool down = e.type == SDL_KEYDOWN;
            if (down) TakeFocus();
            // The window's own key: the game never sees it.
            if (e.key.keysym.scancode == SDL_SCANCODE_F11) {
                if (down && e.key.repeat == 0) ToggleFullscreen();
                break;
            }
            OnKey(e.key.keysym.scancode, down);
            break;
        }
        case SDL_MOUSEMOTION:
            if (state.Captured && Active()) core::Feed(MotionEvent(e.motion.xrel, e.motion.yrel));
            break;
        case SDL_MOUSEWHEEL:
            if (state.Captured && Active()) {
                const int32_t notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
                core::Feed(MotionEvent(0, 0, notches * 120));  // one notch, as Windows counts it
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (e.type == SDL_MOUSEBUTTONDOWN) TakeFocus();
            core::Feed(ButtonEvent(ButtonIndex(e.button.button), e.type == SDL_MOUSEBUTTONDOWN));
            break;
        }
        case SDL_CONTROLLERDEVICEADDED: OnPadAdded(e.cdevice.which); break;
        case SDL_CONTROLLERDEVICEREMOVED: OnPadRemoved(e.cdevice.which); break;
        case SDL_RENDER_DEVICE_RESET: RecreateTexture(); break;
        case SDL_RENDER_TARGETS_RESET: SetPresentationDirty(); break;
        default:
            if (testPadEvent != 0 && e.type == testPadEvent) OnTestPadEvent(e.user);
            break;
    }
}

}  // namespace

Backend state;

bool Active() {
    return state.Window != nullptr && state.Shown && !state.Minimized && (state.Focused || !state.HadFocus);
}

void SetSdlError(const char* caller) { core::SetLastError(std::string(caller) + ": " + SDL_GetError()); }

bool EnsureVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    // Must be set before the video system starts.
    SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_SCALING, "0");
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");  // the emulated display paces flips
    StderrCapture capture;
    const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    const std::string printed = capture.Finish();
    if (!started) {
        core::SetLastError(NoDisplay(SDL_GetError(), printed));
        return false;
    }
    // Without a display SDL may fall back to a driver that shows nothing, and
    // the game would wait unseen on its title for ever.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!AcceptsVideoDriver(driver != nullptr ? driver : "", std::getenv("SDL_VIDEODRIVER"))) {
        core::SetLastError(NoDisplay(std::string("SDL offered only its \"") + driver +
                                         "\" driver, which shows nothing (SDL_VIDEODRIVER=" + driver + " allows it)",
                                     printed));
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    if (!exitHookSet) {
        // The window and the audio thread must be gone before the game's
        // globals are destroyed.
        std::atexit(ShutDownSdl);
        exitHookSet = true;
    }
    ApplyCursor();
    return true;
}

}  // namespace sdl::detail

using sdl::detail::state;

namespace backend {

bool OpenWindow(const char* title, int32_t, int32_t) {
    if (!sdl::detail::EnsureVideo()) return false;
    // Hidden until the display mode is set. Full screen is a window the size
    // of the desktop; made that size from the start, it also covers the screen
    // where no window manager carries out the full-screen request.
    SDL_Rect bounds{0, 0, 800, 600};
    SDL_GetDisplayBounds(0, &bounds);
    state.Window = SDL_CreateWindow(title, bounds.x, bounds.y, bounds.w, bounds.h,
                                    SDL_WINDOW_HIDDEN | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALLOW_HIGHDPI);
    if (state.Window == nullptr) {
        sdl::detail::SetSdlError("CreateMainWindow");
        return false;
    }
    state.Fullscreen = true;
    state.Shown = state.HadFocus = state.Focused = state.Minimized = false;
    return true;
}

void PumpEvents() {
    if (SDL_WasInit(SDL_INIT_EVENTS) != 0) {
        // The game's waits call this every millisecond: the window system is
        // asked every few of them, what is queued already is taken each time.
        const uint64_t now = NowMicros();
        const bool asked = now - state.LastPump >= sdl::detail::PumpMicros;
        if (asked) {
            SDL_PumpEvents();
            state.LastPump = now;
        }
        SDL_Event e;
        while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) sdl::detail::OnEvent(e);
        sdl::detail::UpdateRelativeMode();
        // The pads change only when SDL is asked.
        if (asked) sdl::detail::ReadPads();
    }
    sdl::detail::PresentPrimaryIfDue();
}

void SetCursorVisible(bool visible) {
    state.CursorHidden = !visible;
    sdl::detail::ApplyCursor();
}

}  // namespace backend
}  // namespace plat
