// The Windows back end's keys, read as held or not at every pump, and its
// mouse: DirectInput 5, the system mouse, shared and read in the background.
#include <algorithm>
#include <string>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/win32/backend_state.h"

namespace plat {
namespace win32::detail {
namespace {

bool Failed(const char* call, HRESULT result) {
    SetResultError(call, result);
    ReleaseCom(state.Mouse);
    ReleaseCom(state.DInput);
    return false;
}

bool KeyHeld(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace

void ReadKeys() {
    core::Feed(KeyEvent(Key::Escape, KeyHeld(VK_ESCAPE)));
    core::Feed(KeyEvent(Key::Enter, KeyHeld(VK_RETURN)));  // the keypad's Enter too
    core::Feed(KeyEvent(Key::F1, KeyHeld(VK_F1)));
    core::Feed(KeyEvent(Key::F5, KeyHeld(VK_F5)));
}

void ReadMouse() {
    if (state.Mouse == nullptr || !state.Captured) return;
    DIMOUSESTATE mouse{};
    HRESULT result = state.Mouse->GetDeviceState(sizeof mouse, &mouse);
    // Lost to another program for a moment: take it back once.
    if ((result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) && SUCCEEDED(state.Mouse->Acquire()))
        result = state.Mouse->GetDeviceState(sizeof mouse, &mouse);
    if (FAILED(result)) {
        SetResultError("IDirectInputDevice::GetDeviceState", result);
        core::Feed(MouseFailureEvent());
        return;
    }
    core::Feed(MotionEvent(mouse.lX, mouse.lY, mouse.lZ));
    for (int b = 0; b < 4; ++b) core::Feed(ButtonEvent(b, mouse.rgbButtons[b] != 0));
}

}  // namespace win32::detail

using win32::detail::state;

namespace backend {

bool OpenInput() {
    using win32::detail::Failed;
    if (state.Instance == nullptr) state.Instance = GetModuleHandleA(nullptr);
    HRESULT result = DirectInputCreateA(state.Instance, 0x0500, &state.DInput, nullptr);
    if (FAILED(result)) {
        state.DInput = nullptr;
        return Failed("DirectInputCreateA", result);
    }
    result = state.DInput->CreateDevice(GUID_SysMouse, &state.Mouse, nullptr);
    if (FAILED(result)) {
        state.Mouse = nullptr;
        return Failed("IDirectInput::CreateDevice (the system mouse)", result);
    }
    result = state.Mouse->SetCooperativeLevel(state.Window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
    if (FAILED(result)) return Failed("IDirectInputDevice::SetCooperativeLevel", result);
    result = state.Mouse->SetDataFormat(&c_dfDIMouse);
    if (FAILED(result)) return Failed("IDirectInputDevice::SetDataFormat", result);
    return true;
}

void CloseInput() {
    if (state.Mouse != nullptr) state.Mouse->Unacquire();
    state.Captured = false;
    win32::detail::ReleaseCom(state.Mouse);
    win32::detail::ReleaseCom(state.DInput);
}

bool CaptureMouse(bool captured) {
    if (state.Mouse == nullptr) {
        core::SetLastError("MouseAcquire: no mouse");
        return false;
    }
    if (!captured) {
        state.Mouse->Unacquire();
        state.Captured = false;
        return true;
    }
    const HRESULT result = state.Mouse->Acquire();
    if (FAILED(result)) {
        win32::detail::SetResultError("IDirectInputDevice::Acquire", result);
        return false;
    }
    state.Captured = true;
    return true;
}

}  // namespace backend
}  // namespace plat
