// The mouse and the keys: the layer's Windows-shaped calls, and the state the
// back end feeds as input arrives.
#include <array>
#include <cstdint>
#include <string>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/core_state.h"
#include "platform/platform.h"

namespace plat {
namespace {

using core::detail::Failing;
using core::detail::Flags;
using core::detail::Need;

struct InputState {
    MouseState Mouse;  // motion since the last read, buttons as they stand
    bool ReadFails = false;
    std::array<bool, 4> Keys{};
    // F1 as read while the program is asked to close (KeyDown).
    bool ClosingF1 = false;
    uint64_t ClosingLooks = UINT64_MAX;
};
InputState input;
// Never reset: a reader compares a count with one it took earlier.
core::InputReads reads;

}  // namespace

namespace core {

void Feed(const InputEvent& e) {
    switch (e.What) {
        case InputEvent::Kind::Motion:
            input.Mouse.X += e.Dx;
            input.Mouse.Y += e.Dy;
            input.Mouse.Z += e.Dz;
            break;
        case InputEvent::Kind::Button:
            if (e.Code >= 0 && e.Code < 4) input.Mouse.Buttons[static_cast<size_t>(e.Code)] = e.Down ? 0x80 : 0;
            break;
        case InputEvent::Kind::Key:
            if (e.Code >= 0 && static_cast<size_t>(e.Code) < input.Keys.size())
                input.Keys[static_cast<size_t>(e.Code)] = e.Down;
            break;
        case InputEvent::Kind::Close: RequestClose(); break;
        case InputEvent::Kind::MouseFailure: input.ReadFails = true; break;
    }
}

void ClearMouse() {
    input.Mouse = MouseState{};
    input.ReadFails = false;
}

bool MouseAcquired() { return Flags().MouseAcquired; }

const InputReads& Reads() { return reads; }

namespace detail {
void ClearInput() { input = InputState{}; }
}  // namespace detail
}  // namespace core

bool InputCreate() {
    if (Failing(core::Step::InputCreate, "InputCreate")) return false;
    if (!Flags().Input && !backend::OpenInput()) return false;
    Flags().Input = true;
    return true;
}

bool MouseCreate() {
    if (!Need(Flags().Input, "MouseCreate", "no input device")) return false;
    if (Failing(core::Step::MouseCreate, "MouseCreate")) return false;
    Flags().Mouse = true;
    return true;
}

bool MouseSetCooperativeLevel() {
    if (!Need(Flags().Mouse, "MouseSetCooperativeLevel", "no mouse")) return false;
    return !Failing(core::Step::MouseCooperativeLevel, "MouseSetCooperativeLevel");
}

bool MouseSetDataFormat() {
    if (!Need(Flags().Mouse, "MouseSetDataFormat", "no mouse")) return false;
    return !Failing(core::Step::MouseDataFormat, "MouseSetDataFormat");
}

bool MouseAcquire() {
    if (!Need(Flags().Mouse, "MouseAcquire", "no mouse")) return false;
    if (Failing(core::Step::MouseAcquire, "MouseAcquire")) return false;
    if (!backend::CaptureMouse(true)) return false;
    Flags().MouseAcquired = true;
    return true;
}

void MouseUnacquire() {
    if (Flags().MouseAcquired) backend::CaptureMouse(false);
    Flags().MouseAcquired = false;
}

void MouseRelease() {
    MouseUnacquire();
    Flags().Mouse = false;
}

void InputRelease() {
    MouseRelease();
    if (Flags().Input) backend::CloseInput();
    Flags().Input = false;
}

bool MouseRead(MouseState* out) {
    if (!Need(out != nullptr && Flags().MouseAcquired, "MouseRead", "the mouse is not acquired")) return false;
    if (Failing(core::Step::MouseRead, "MouseRead")) return false;
    core::detail::Pump();
    ++reads.Mouse;
    if (input.ReadFails) {
        input.ReadFails = false;
        return false;
    }
    *out = input.Mouse;
    input.Mouse.X = input.Mouse.Y = input.Mouse.Z = 0;
    return true;
}

// The pause is a wait that reads nothing but F1 and takes no messages, so a
// request from the system to end the program (the close box, SIGTERM) would
// wait for the player's next tap of F1. Once a close is requested, F1 reads
// released at the first read after each look at the message queue, so that
// play is never paused afresh, and pressed and released by turns after that,
// so that a pause under way sees the tap that ends it and the game goes on to
// its close message.
bool KeyDown(Key key) {
    core::detail::Pump();
    ++reads.Keys[static_cast<size_t>(key)];
    if (key == Key::F1 && core::CloseRequested()) {
        const uint64_t looks = core::detail::MessageLooks();
        input.ClosingF1 = looks == input.ClosingLooks && !input.ClosingF1;
        input.ClosingLooks = looks;
        return input.ClosingF1;
    }
    return input.Keys[static_cast<size_t>(key)];
}

}  // namespace plat
