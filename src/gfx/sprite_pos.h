// Where a moving sprite was drawn in each of the two pages of the flip chain.
#pragma once

#include <cstdint>

struct SpritePos {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t PrevX = 0;
    int32_t PrevY = 0;

    // The previous position is where the sprite sits in today's back buffer,
    // and so where it must be erased.
    void Set(int32_t x, int32_t y) {
        PrevX = X;
        PrevY = Y;
        X = x;
        Y = y;
    }
};
