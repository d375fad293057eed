// State shared by the files of the SDL back end. Not for the game.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/presentation.h"
#include "platform/sdl/sdl_backend.h"

namespace plat::sdl::detail {

struct Backend {
    // Window
    SDL_Window* Window = nullptr;
    bool Shown = false;
    bool Fullscreen = true;
    bool HadFocus = false;  // some window systems never report focus at all
    bool Focused = false;
    bool Minimized = false;
    bool ReturnHeld = false, KeypadEnterHeld = false;  // both are the game's Enter
    bool CursorHidden = false;

    // Display
    int32_t Width = 0, Height = 0;
    SDL_Renderer* Renderer = nullptr;
    bool Software = false;            // the renderer draws into the window's own surface
    SDL_Texture* Texture = nullptr;   // an accelerated renderer's copy of the shown picture
    std::vector<uint16_t> OnScreen;   // the words on screen
    std::vector<uint64_t> RowHashes;  // RowHash of each of their rows
    std::vector<uint32_t> Picture;    // the same as 0x00RRGGBB pixels
    SharpScaler Scaler;
    Rect Placed;                  // where the picture lies in the window
    bool Redraw = false;          // the window needs the picture again
    bool PrimaryPending = false;  // a draw on the primary waits to be shown
    uint64_t Epoch = 0;           // the emulated display's first tick
    uint64_t LastPresent = 0;

    // Sound
    SDL_AudioDeviceID Audio = 0;

    // Input
    uint64_t LastPump = 0;  // when the window system was last asked for events
    bool Captured = false;  // the game holds the mouse
    bool Relative = false;  // SDL's relative mode is on

    // Pads: SDL's game controllers, by their joystick's instance id.
    bool PadsStarted = false;
    struct Pad {
        int32_t Id = 0;
        SDL_GameController* Controller = nullptr;
    };
    std::vector<Pad> Pads;
    SDL_Joystick* TestPad = nullptr;  // a virtual pad a test attached
};

extern Backend state;

// How often the window system is asked for events while the game waits.
constexpr uint64_t PumpMicros = 4000;

// True while the game may run on: shown, not minimised, and focused (or
// focus never reported, as without a window manager).
bool Active();

// In display.cpp
extern PresentCounters counters;  // what presenting has cost since set-up
void PresentPrimaryIfDue();
void ReleaseRenderer();
void RecreateTexture();
void SetPresentationDirty();

// In audio.cpp
void CloseAudioDevice();

// In input.cpp
// Turns SDL's relative mouse mode on while the game holds the mouse in front.
void UpdateRelativeMode();
void OnKey(SDL_Scancode code, bool down);
// The core's button number of an SDL button; -1 for one the game ignores.
int ButtonIndex(uint8_t button);
// A game controller plugged in (its device index) or unplugged (its
// joystick's instance id).
void OnPadAdded(int32_t deviceIndex);
void OnPadRemoved(int32_t instanceId);
// Hands each pad as it stands to the layer (at rest while the game is not
// in front).
void ReadPads();

// In test_hooks.cpp
// The event type of the test pad's commands, 0 until a test posts one.
extern uint32_t testPadEvent;
void OnTestPadEvent(const SDL_UserEvent& e);

// In window.cpp
// Brings up SDL's video and events once; false with LastError on failure.
bool EnsureVideo();
void SetSdlError(const char* caller);
// Closes the renderer, the audio device and the window, and SDL itself.
void ShutDownSdl();

}  // namespace plat::sdl::detail
