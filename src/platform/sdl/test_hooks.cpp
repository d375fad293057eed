// Control and inspection of the SDL back end for tests: a fresh start, input
// queued as the window system would deliver it, and what the window shows.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/core.h"
#include "platform/platform.h"
#include "platform/sdl/backend_state.h"
#include "platform/sdl/sdl_backend.h"

namespace plat {
namespace sdl {

using detail::state;

void Reset() {
    DisplayRelease();
    SoundRelease();
    InputRelease();
    detail::ShutDownSdl();
    core::ResetAll();
    state = detail::Backend{};
}

void PostTestKey(TestKey key, bool down) {
    static constexpr SDL_Scancode codes[] = {SDL_SCANCODE_ESCAPE, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER,
                                             SDL_SCANCODE_F1,     SDL_SCANCODE_F5,     SDL_SCANCODE_F11};
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = codes[static_cast<int>(key)];
    e.key.keysym.sym = SDL_GetKeyFromScancode(e.key.keysym.scancode);
    SDL_PushEvent(&e);
}

void PostTestMotion(int32_t dx, int32_t dy) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.xrel = dx;
    e.motion.yrel = dy;
    SDL_PushEvent(&e);
}

void PostTestButton(int sdlButton, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = static_cast<uint8_t>(sdlButton);
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&e);
}

void PostTestWindowEvent(TestWindowEvent what) {
    SDL_Event e{};
    if (what == TestWindowEvent::Quit) {
        e.type = SDL_QUIT;
    } else {
        static constexpr uint8_t events[] = {SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_FOCUS_LOST,
                                             SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_RESTORED,
                                             SDL_WINDOWEVENT_CLOSE};
        e.type = SDL_WINDOWEVENT;
        e.window.event = events[static_cast<int>(what)];
    }
    SDL_PushEvent(&e);
}

void SetTestWindowSize(int32_t width, int32_t height) {
    if (state.Window == nullptr) return;
    SDL_SetWindowFullscreen(state.Window, 0);
    state.Fullscreen = false;
    SDL_SetWindowSize(state.Window, width, height);
    detail::SetPresentationDirty();
}

// --- The test pad: commands as events, for the game's thread -------------------

namespace detail {

uint32_t testPadEvent = 0;

namespace {

enum class PadCommand : int32_t { Plug, Unplug, Button, Axis };

void PadFailed(const char* what) { std::fprintf(stderr, "qorb: test pad: %s: %s\n", what, SDL_GetError()); }

}  // namespace

void OnTestPadEvent(const SDL_UserEvent& e) {
    const auto index = static_cast<int>(reinterpret_cast<intptr_t>(e.data1));
    const auto value = static_cast<int>(reinterpret_cast<intptr_t>(e.data2));
    switch (static_cast<PadCommand>(e.code)) {
        case PadCommand::Plug: {
            if (state.TestPad != nullptr) return;
            const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                         SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1, 0);
            state.TestPad = device >= 0 ? SDL_JoystickOpen(device) : nullptr;
            if (state.TestPad == nullptr) PadFailed("plugging it in");
            break;
        }
        case PadCommand::Unplug: {
            if (state.TestPad == nullptr) return;
            const SDL_JoystickID id = SDL_JoystickInstanceID(state.TestPad);
            SDL_JoystickClose(state.TestPad);
            state.TestPad = nullptr;
            for (int i = 0; i < SDL_NumJoysticks(); ++i)
                if (SDL_JoystickGetDeviceInstanceID(i) == id && SDL_JoystickDetachVirtual(i) != 0)
                    PadFailed("unplugging it");
            break;
        }
        case PadCommand::Button:
            if (state.TestPad == nullptr || SDL_JoystickSetVirtualButton(state.TestPad, index, value != 0) != 0)
                PadFailed("a button");
            break;
        case PadCommand::Axis:
            if (state.TestPad == nullptr ||
                SDL_JoystickSetVirtualAxis(state.TestPad, index, static_cast<Sint16>(value)) != 0)
                PadFailed("an axis");
            break;
    }
}

}  // namespace detail

namespace {

void PostPadCommand(detail::PadCommand command, int index = 0, int value = 0) {
    static const uint32_t type = SDL_RegisterEvents(1);
    detail::testPadEvent = type;
    SDL_Event e{};
    e.type = type;
    e.user.code = static_cast<int32_t>(command);
    e.user.data1 = reinterpret_cast<void*>(static_cast<intptr_t>(index));
    e.user.data2 = reinterpret_cast<void*>(static_cast<intptr_t>(value));
    SDL_PushEvent(&e);
}

}  // namespace

void PlugTestPad() { PostPadCommand(detail::PadCommand::Plug); }
void UnplugTestPad() { PostPadCommand(detail::PadCommand::Unplug); }
void SetTestPadButton(TestPadButton button, bool down) {
    PostPadCommand(detail::PadCommand::Button, static_cast<int>(button), down ? 1 : 0);
}
void SetTestPadAxis(TestPadAxis axis, int16_t value) {
    PostPadCommand(detail::PadCommand::Axis, static_cast<int>(axis), value);
}

std::string RendererName() {
    SDL_RendererInfo info;
    if (state.Renderer == nullptr || SDL_GetRendererInfo(state.Renderer, &info) != 0) return "";
    return info.name != nullptr ? info.name : "";
}

bool ReadScreen(int32_t* width, int32_t* height, std::vector<uint32_t>* pixels) {
    if (state.Renderer == nullptr || width == nullptr || height == nullptr || pixels == nullptr) return false;
    // The whole window, bars included.
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(state.Renderer, &w, &h) != 0) return false;
    pixels->assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    if (SDL_RenderReadPixels(state.Renderer, nullptr, SDL_PIXELFORMAT_RGB888, pixels->data(), w * 4) != 0) return false;
    *width = w;
    *height = h;
    return true;
}

PresentCounters GetPresentCounters() { return detail::counters; }

}  // namespace sdl
}  // namespace plat
