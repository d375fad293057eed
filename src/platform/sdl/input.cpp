// The SDL back end's keys and mouse: what the window's events say of them,
// and the mouse held by the game.
#include <SDL.h>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/platform.h"
#include "platform/sdl/backend_state.h"

namespace plat {
namespace sdl::detail {

// Relative motion only while the game runs in front, so the paddle does not
// follow a mouse that works elsewhere.
void UpdateRelativeMode() {
    const bool want = state.Window != nullptr && state.Captured && Active();
    if (want == state.Relative) return;
    SDL_SetRelativeMouseMode(want ? SDL_TRUE : SDL_FALSE);
    state.Relative = want;
}

void OnKey(SDL_Scancode code, bool down) {
    switch (code) {
        case SDL_SCANCODE_ESCAPE: core::Feed(KeyEvent(Key::Escape, down)); break;
        case SDL_SCANCODE_RETURN:
            state.ReturnHeld = down;
            core::Feed(KeyEvent(Key::Enter, state.ReturnHeld || state.KeypadEnterHeld));
            break;
        case SDL_SCANCODE_KP_ENTER:
            state.KeypadEnterHeld = down;
            core::Feed(KeyEvent(Key::Enter, state.ReturnHeld || state.KeypadEnterHeld));
            break;
        case SDL_SCANCODE_F1: core::Feed(KeyEvent(Key::F1, down)); break;
        case SDL_SCANCODE_F5: core::Feed(KeyEvent(Key::F5, down)); break;
        default: break;
    }
}

int ButtonIndex(uint8_t button) {
    switch (button) {
        case SDL_BUTTON_LEFT: return 0;
        case SDL_BUTTON_RIGHT: return 1;
        case SDL_BUTTON_MIDDLE: return 2;
        case SDL_BUTTON_X1: return 3;
        default: return -1;
    }
}

}  // namespace sdl::detail

using sdl::detail::state;

namespace backend {

bool OpenInput() { return true; }

void CloseInput() { CaptureMouse(false); }

bool CaptureMouse(bool captured) {
    if (captured && !state.Captured) {
        PumpEvents();  // what came before belongs to no read
        core::ClearMouse();
    }
    state.Captured = captured;
    PumpEvents();
    return true;
}

}  // namespace backend
}  // namespace plat
