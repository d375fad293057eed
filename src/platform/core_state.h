// State and helpers shared by the core's own files. Not for back ends.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core.h"
#include "platform/platform.h"

namespace plat::core::detail {

// What the game has opened, as the Windows-shaped calls track it (the counts
// of surfaces and buffers are filled in by Live()).
Devices& Flags();

// True (with LastError) when a test made this step fail.
bool Failing(Step step, const char* call);
// True when `have`; otherwise false with "<call>: <missing>" as LastError.
bool Need(bool have, const char* call, const char* missing);

// Takes the back end's events and brings the silent sound clock up to now.
void Pump();
void AdvanceSilentClock();

Surface* MakeFlipChain(int32_t width, int32_t height);
bool GetBackBuffer(Surface** backBuffer);
void SwapChain();
void FreeAllSurfaces();
void FreeAllSoundBuffers();
SoundBuffer* NewSoundBuffer(uint32_t bytes);
void ClearMessages();
// How often the game has looked at its message queue.
uint64_t MessageLooks();
void ClearInput();
// Turns the pads into input events for the time since the last pump.
void AdvancePads();
// Forgets every pad and the game's play-state source.
void ClearPads();
// Forgets a close request, as a new window does.
void ClearCloseRequest();
void ResetDisplay();
void ResetSound();
void NotifyFlip(uint64_t flips);

}  // namespace plat::core::detail
