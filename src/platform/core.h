// What the shared part of the platform layer offers its back ends.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace plat::core {

// Surfaces are owned here; back ends create them through these calls.
Surface* NewSurface(int32_t width, int32_t height);
void FreeSurface(Surface* surface);
void FreeAllSurfaces();
size_t LiveSurfaceCount();

// The flip chain: the primary surface and its back buffer.
struct FlipChain {
    Surface* Primary = nullptr;
    Surface* Back = nullptr;
};
FlipChain& Chain();
// Makes the primary surface and its back buffer at the display's size;
// null when either cannot be made.
Surface* MakeFlipChain(int32_t width, int32_t height);
// The back buffer of the chain, as every back end hands it out.
bool GetBackBuffer(Surface** backBuffer);
// Exchanges the two pictures; the surface objects stay where they are, as the
// game holds pointers to them.
void SwapChain();

void SetLastError(std::string text);

// The mixer: back ends pull frames from it. Both calls advance every playing
// buffer; Mix also adds their samples into out (interleaved stereo) with
// saturation. Safe to call from an audio thread.
void MixFrames(int16_t* out, uint32_t frames);
void AdvanceFrames(uint32_t frames);
SoundBuffer* NewSoundBuffer(uint32_t bytes);
void FreeAllSoundBuffers();
size_t LiveSoundBufferCount();

void ClearMessages();
void CountFlip();
Stats& MutableStats();

}  // namespace plat::core

// Implemented by each back end; called by the shared code.
namespace plat::backend {

// A draw went straight onto the primary surface: show it without a flip.
void PrimaryUpdated(const Rect& area);
// A sound buffer is about to start, stop or move: a back end that plays
// buffers by its own clock brings them up to now first.
void BeforeSoundChange();

}  // namespace plat::backend
