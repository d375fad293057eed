// State shared by the files of the SDL back end. Not for the game.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace plat::sdl::detail {

enum HeldKey { HeldEscape, HeldReturn, HeldKeypadEnter, HeldF1, HeldF5, HeldKeyCount };

struct Backend {
    // Window
    bool WindowClass = false;
    SDL_Window* Window = nullptr;
    bool Shown = false;
    bool Fullscreen = true;
    bool HadFocus = false;  // some window systems never report focus at all
    bool Focused = false;
    bool Minimized = false;
    bool CloseRequested = false;

    // Display
    bool Display = false;
    bool ModeSet = false;
    int32_t Width = 0, Height = 0;
    SDL_Renderer* Renderer = nullptr;
    SDL_Texture* Texture = nullptr;
    std::vector<uint16_t> OnScreen;  // the words the texture holds
    bool Redraw = false;             // the window needs the picture again
    bool PrimaryPending = false;     // a draw on the primary waits to be shown
    uint64_t Epoch = 0;              // the emulated display's first tick
    uint64_t LastPresent = 0;

    // Sound
    SDL_AudioDeviceID Audio = 0;
    bool Sound = false;
    bool Silent = false;
    bool SoundPrimary = false;
    uint64_t SilentStart = 0;
    uint64_t SilentFrames = 0;  // frames advanced since SilentStart

    // Input
    bool Input = false;
    bool Mouse = false;
    bool MouseAcquired = false;
    bool Relative = false;
    MouseState Motion;
    std::array<bool, HeldKeyCount> Held{};
    int CursorCount = 0;
    bool CursorHidden = false;
};

extern Backend state;

// Microseconds of a steady clock.
uint64_t NowMicros();
void SleepMicros(uint64_t micros);

// True while the game may run on: shown, not minimised, and focused (or
// focus never reported, as without a window manager).
bool Active();

// Takes every pending SDL event, moves the silent sound clock and shows a
// waiting draw on the primary. Every call that reads input or waits runs it.
void Pump();

// In display.cpp
void PresentPrimaryIfDue();
void ReleaseRenderer();
void RecreateTexture();
void SetPresentationDirty();

// In audio.cpp
void AdvanceSilentSound();
void CloseAudio();

// Brings up SDL's video and events once; false with LastError on failure.
bool EnsureVideo(const char* caller);
void SetSdlError(const char* caller);

}  // namespace plat::sdl::detail
