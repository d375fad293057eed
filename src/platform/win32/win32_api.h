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

#include <cstdint>

#include "platform/platform.h"

namespace plat::win32::detail {

struct Backend {
    // Window
    HINSTANCE Instance = nullptr;
    bool WindowClass = false;
    HWND Window = nullptr;
    bool Active = true;  // the program is in front (WM_ACTIVATEAPP)
    bool CloseRequested = false;
    bool TimerRaised = false;
    int CursorCount = 0;

    // Display
    IDirectDraw* DDraw = nullptr;
    IDirectDrawSurface* Front = nullptr;
    IDirectDrawSurface* Back = nullptr;
    bool ModeSet = false;
    int32_t Width = 0, Height = 0;

    // Sound
    IDirectSound* DSound = nullptr;
    IDirectSoundBuffer* PrimaryBuffer = nullptr;
    bool Sound = false;
    bool Silent = false;
    uint64_t SilentStart = 0;
    uint64_t SilentFrames = 0;

    // Input
    IDirectInputA* DInput = nullptr;
    IDirectInputDeviceA* Mouse = nullptr;
    bool MouseAcquired = false;
};

extern Backend state;

// Takes every pending window message, moves the silent sound clock. Every
// call that reads input or waits runs it.
void Pump();

// Microseconds of a steady clock.
uint64_t NowMicros();

// LastError for a failed COM call: the call, the result's name and its code.
void SetResultError(const char* call, HRESULT result);
// LastError for a failed Win32 call, from GetLastError.
void SetSystemError(const char* call);

template <typename T>
void ReleaseCom(T*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

// In sound.cpp
void AdvanceSilentSound();
void StopStream();

}  // namespace plat::win32::detail
