// The Windows back end's keys, read as held or not at every pump, its mouse
// (DirectInput 5, the system mouse, shared and read in the background) and
// its pads (XInput, if the system has it).
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

void FeedKey(Key key, bool held) {
    bool& fed = state.KeysFed[static_cast<size_t>(key)];
    if (held != fed) core::Feed(KeyEvent(key, held));
    fed = held;
}

// XInput 1.4 comes with Windows 8 and later, 9.1.0 with Vista and 7; a
// system with neither plays on with the mouse and keys.
void LoadXInput() {
    if (state.XInput != nullptr) return;
    for (const char* name : {"xinput1_4.dll", "xinput9_1_0.dll"}) {
        state.XInput = LoadLibraryA(name);
        if (state.XInput == nullptr) continue;
        state.XInputGetState = reinterpret_cast<decltype(state.XInputGetState)>(
            reinterpret_cast<void*>(GetProcAddress(state.XInput, "XInputGetState")));
        if (state.XInputGetState != nullptr) return;
        FreeLibrary(state.XInput);
        state.XInput = nullptr;
    }
}

uint32_t GetPadState(uint32_t slot, core::XInputState* out) {
    XINPUT_STATE s{};
    const DWORD result = state.XInputGetState(slot, &s);
    if (result != ERROR_SUCCESS) return result;
    *out = core::XInputState{s.dwPacketNumber,   s.Gamepad.wButtons, s.Gamepad.bLeftTrigger, s.Gamepad.bRightTrigger,
                             s.Gamepad.sThumbLX, s.Gamepad.sThumbLY, s.Gamepad.sThumbRX,     s.Gamepad.sThumbRY};
    return ERROR_SUCCESS;
}

}  // namespace

void ReadKeys() {
    FeedKey(Key::Escape, KeyHeld(VK_ESCAPE));
    FeedKey(Key::Enter, KeyHeld(VK_RETURN));  // the keypad's Enter too
    FeedKey(Key::F1, KeyHeld(VK_F1));
    FeedKey(Key::F5, KeyHeld(VK_F5));
}

void ReadPads() {
    if (state.XInputGetState == nullptr) return;
    state.Pads.Poll(GetPadState, backend::NowMicros(), state.Active, core::CorePads());
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
    for (size_t b = 0; b < 4; ++b) {
        const bool held = mouse.rgbButtons[b] != 0;
        if (held != state.ButtonsFed[b]) core::Feed(ButtonEvent(static_cast<int32_t>(b), held));
        state.ButtonsFed[b] = held;
    }
}

}  // namespace win32::detail

using win32::detail::state;

namespace backend {

bool OpenInput() {
    using win32::detail::Failed;
    if (state.Instance == nullptr) state.Instance = GetModuleHandleA(nullptr);
    win32::detail::LoadXInput();
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
    state.Pads.Forget(core::CorePads());
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
