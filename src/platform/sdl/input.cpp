// The SDL back end's keys and mouse: what the window's events say of them,
// and the mouse held by the game; and its pads, SDL's game controllers, as
// they stand.
#include <SDL.h>

#include <algorithm>

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

namespace {

// SDL's buttons, in its own order, as the pads' common buttons.
constexpr core::PadButton PadButtons[] = {
    core::PadButton::South,        core::PadButton::East,          core::PadButton::West,
    core::PadButton::North,        core::PadButton::Back,          core::PadButton::Home,
    core::PadButton::Start,        core::PadButton::LeftStick,     core::PadButton::RightStick,
    core::PadButton::LeftShoulder, core::PadButton::RightShoulder, core::PadButton::Up,
    core::PadButton::Down,         core::PadButton::Left,          core::PadButton::Right,
};
static_assert(std::size(PadButtons) == SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1);

// A trigger pressed past an eighth of its travel counts as a button held.
constexpr int16_t TriggerPressed = 4096;

float Axis(SDL_GameController* c, SDL_GameControllerAxis axis) {
    return std::max(-1.0f, static_cast<float>(SDL_GameControllerGetAxis(c, axis)) / 32767.0f);
}

core::PadReading ReadingOf(SDL_GameController* c) {
    core::PadReading r;
    r.LeftX = Axis(c, SDL_CONTROLLER_AXIS_LEFTX);
    r.LeftY = Axis(c, SDL_CONTROLLER_AXIS_LEFTY);
    r.RightX = Axis(c, SDL_CONTROLLER_AXIS_RIGHTX);
    r.RightY = Axis(c, SDL_CONTROLLER_AXIS_RIGHTY);
    for (int b = 0; b < static_cast<int>(std::size(PadButtons)); ++b)
        if (SDL_GameControllerGetButton(c, static_cast<SDL_GameControllerButton>(b)) != 0)
            r.Buttons |= core::PadBit(PadButtons[b]);
    if (SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT) > TriggerPressed)
        r.Buttons |= core::PadBit(core::PadButton::LeftTrigger);
    if (SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > TriggerPressed)
        r.Buttons |= core::PadBit(core::PadButton::RightTrigger);
    return r;
}

}  // namespace

void OnPadAdded(int32_t deviceIndex) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (id < 0 || std::any_of(state.Pads.begin(), state.Pads.end(), [id](const Backend::Pad& p) { return p.Id == id; }))
        return;
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (controller != nullptr) state.Pads.push_back(Backend::Pad{id, controller});
}

void OnPadRemoved(int32_t instanceId) {
    const auto pad =
        std::find_if(state.Pads.begin(), state.Pads.end(), [&](const Backend::Pad& p) { return p.Id == instanceId; });
    if (pad == state.Pads.end()) return;
    SDL_GameControllerClose(pad->Controller);
    state.Pads.erase(pad);
    core::PadGone(instanceId);
}

void ReadPads() {
    const bool front = Active();
    for (const Backend::Pad& p : state.Pads) core::PadRead(p.Id, front ? ReadingOf(p.Controller) : core::PadReading{});
}

}  // namespace sdl::detail

using sdl::detail::state;

namespace backend {

// Pads are a bonus: without SDL's controllers the game plays on with the
// mouse and keys. The pads present now come as plug-in events too.
bool OpenInput() {
    if (!state.PadsStarted) {
        // A, B, X and Y by where they sit, not by what is printed on them:
        // south serves on every pad.
        SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
        // SDL would drop a pad's input whenever no window of ours has the
        // keyboard's focus, which without a window manager is always; the
        // pads rest while the game is not in front (ReadPads) instead.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        state.PadsStarted = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    }
    return true;
}

void CloseInput() {
    CaptureMouse(false);
    while (!state.Pads.empty()) sdl::detail::OnPadRemoved(state.Pads.back().Id);
    if (state.TestPad != nullptr) SDL_JoystickClose(state.TestPad);
    state.TestPad = nullptr;
    if (state.PadsStarted) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    state.PadsStarted = false;
}

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
