// The Windows back end's mouse: DirectInput 5, the system mouse, shared and
// read in the background.
#include <algorithm>
#include <string>

#include "platform/core.h"
#include "platform/win32/win32_api.h"

namespace plat {

using win32::detail::state;

bool InputCreate() {
    if (state.DInput != nullptr) return true;
    if (state.Instance == nullptr) state.Instance = GetModuleHandleA(nullptr);
    const HRESULT result = DirectInputCreateA(state.Instance, 0x0500, &state.DInput, nullptr);
    if (FAILED(result)) {
        state.DInput = nullptr;
        win32::detail::SetResultError("DirectInputCreateA", result);
        return false;
    }
    return true;
}

bool MouseCreate() {
    if (state.DInput == nullptr) {
        core::SetLastError("MouseCreate: no input device");
        return false;
    }
    if (state.Mouse != nullptr) return true;
    const HRESULT result = state.DInput->CreateDevice(GUID_SysMouse, &state.Mouse, nullptr);
    if (FAILED(result)) {
        state.Mouse = nullptr;
        win32::detail::SetResultError("IDirectInput::CreateDevice (the system mouse)", result);
        return false;
    }
    return true;
}

bool MouseSetCooperativeLevel() {
    if (state.Mouse == nullptr) {
        core::SetLastError("MouseSetCooperativeLevel: no mouse");
        return false;
    }
    const HRESULT result = state.Mouse->SetCooperativeLevel(state.Window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
    if (FAILED(result)) {
        win32::detail::SetResultError("IDirectInputDevice::SetCooperativeLevel", result);
        return false;
    }
    return true;
}

bool MouseSetDataFormat() {
    if (state.Mouse == nullptr) {
        core::SetLastError("MouseSetDataFormat: no mouse");
        return false;
    }
    const HRESULT result = state.Mouse->SetDataFormat(&c_dfDIMouse);
    if (FAILED(result)) {
        win32::detail::SetResultError("IDirectInputDevice::SetDataFormat", result);
        return false;
    }
    return true;
}

bool MouseAcquire() {
    if (state.Mouse == nullptr) {
        core::SetLastError("MouseAcquire: no mouse");
        return false;
    }
    const HRESULT result = state.Mouse->Acquire();
    if (FAILED(result)) {
        win32::detail::SetResultError("IDirectInputDevice::Acquire", result);
        return false;
    }
    state.MouseAcquired = true;
    return true;
}

void MouseUnacquire() {
    if (state.Mouse != nullptr) state.Mouse->Unacquire();
    state.MouseAcquired = false;
}

void MouseRelease() {
    MouseUnacquire();
    win32::detail::ReleaseCom(state.Mouse);
}

void InputRelease() {
    MouseRelease();
    win32::detail::ReleaseCom(state.DInput);
}

bool MouseRead(MouseState* out) {
    if (out == nullptr || state.Mouse == nullptr || !state.MouseAcquired) {
        core::SetLastError("MouseRead: the mouse is not acquired");
        return false;
    }
    win32::detail::Pump();
    DIMOUSESTATE mouse{};
    HRESULT result = state.Mouse->GetDeviceState(sizeof mouse, &mouse);
    // Lost to another program for a moment: take it back once.
    if ((result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) && SUCCEEDED(state.Mouse->Acquire()))
        result = state.Mouse->GetDeviceState(sizeof mouse, &mouse);
    if (FAILED(result)) {
        win32::detail::SetResultError("IDirectInputDevice::GetDeviceState", result);
        return false;
    }
    out->X = mouse.lX;
    out->Y = mouse.lY;
    out->Z = mouse.lZ;
    std::copy(std::begin(mouse.rgbButtons), std::end(mouse.rgbButtons), std::begin(out->Buttons));
    return true;
}

}  // namespace plat
