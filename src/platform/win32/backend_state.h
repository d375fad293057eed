// The Windows headers as the back end's files use them, and the state they
// share. Not for the game.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Lean windows.h leaves out what dsound.h needs.
#include <mmsystem.h>

#define DIRECTINPUT_VERSION 0x0500
#include <ddraw.h>
#include <dinput.h>
#include <dsound.h>

// These macros would rename the layer's own functions of the same names.
#undef PeekMessage
#undef PostMessage
#undef DrawText

#include <xinput.h>

#include <array>
#include <cstdint>

#include "platform/platform.h"
#include "platform/xinput_slots.h"

namespace plat::win32::detail {

struct Backend {
    // Window
    HINSTANCE Instance = nullptr;
    bool WindowClass = false;
    HWND Window = nullptr;
    bool Active = true;  // the program is in front (WM_ACTIVATEAPP)
    bool CursorHidden = false;
    bool TimerRaised = false;

    // Display
    IDirectDraw* DDraw = nullptr;
    IDirectDrawSurface* Front = nullptr;
    IDirectDrawSurface* Back = nullptr;

    // Sound
    IDirectSound* DSound = nullptr;
    IDirectSoundBuffer* PrimaryBuffer = nullptr;

    // Input
    IDirectInputA* DInput = nullptr;
    IDirectInputDeviceA* Mouse = nullptr;
    bool Captured = false;
    // The keys and mouse buttons as last fed: only changes are fed, so that
    // a pad's presses of the same keys stand until the pad lets go.
    std::array<bool, 4> KeysFed{};
    std::array<bool, 4> ButtonsFed{};

    // Pads: XInput, loaded when input opens, if the system has it.
    HMODULE XInput = nullptr;
    DWORD(WINAPI* XInputGetState)(DWORD, XINPUT_STATE*) = nullptr;
    core::XInputSlots Pads;
};

extern Backend state;

// LastError for a failed COM call: the call, the result's name and its code.
void SetResultError(const char* call, HRESULT result);
// LastError for a failed Win32 call, from GetLastError.
void SetSystemError(const char* call);

template <typename T>
void ReleaseCom(T*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

// In input.cpp: hands the keys the game reads, held or not, to the layer.
void ReadKeys();
// In input.cpp: hands the mouse's motion and buttons since the last call to
// the layer.
void ReadMouse();
// In input.cpp: hands the pads as they stand to the layer.
void ReadPads();
// In audio.cpp: falls back to the silent clock if the device stopped playing.
void CheckSoundDevice();

}  // namespace plat::win32::detail
