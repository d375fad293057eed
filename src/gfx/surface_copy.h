// The rectangle copy, fill and present primitives all drawing rests on.
#pragma once

#include <cstdint>

// The number by which a copy names its source surface.
enum SourceSelector : int32_t {
    SourceElements = 1,
    SourceBElements = 2,
    SourceBackdrop = 3,
    SourceShips = 5,
    SourceClouds = 8,  // always copied opaque
};

enum ClearTarget : int32_t { ClearBackBuffer = 0, ClearPrimary = 1 };

// Copies to the back buffer; `keyed` 0 is opaque, 1 leaves out words of 0,
// anything else draws nothing. Always true, whatever was drawn.
bool CopyRect(int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height, int32_t selector,
              int32_t keyed);
// The same into the clean backdrop; only the two sprite sheets copy.
bool CopyRectToBackdrop(int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height,
                        int32_t selector, int32_t keyed);
// Copies from the back buffer straight onto the screen, without a flip.
bool ShowRect(int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height, int32_t keyed);
bool ClearScreen(int32_t target);
// Puts the round picture behind the playfield in the backdrop and the back buffer.
bool RefreshBackdrop();
// Flips the chain, retrying a failing flip a bounded number of times.
void PresentFrame();
