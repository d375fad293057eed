// The ball: two speed magnitudes and two direction signs, per play step.
#pragma once

#include <cstdint>

#include "gfx/sprite_pos.h"

struct Ball {
    float SpeedX = 0;
    float SpeedY = 0;
    int32_t DirX = 0;  // +1 right, -1 left
    int32_t DirY = 0;  // +1 down, -1 up
    SpritePos Pos;
};

extern Ball TheBall;

// The ball's top-left corner as the game rules see it.
extern int32_t BallX;
extern int32_t BallY;
// The speed level: the ceiling of each speed component at the paddle.
extern float BallSpeed;
extern float RoundStartSpeed;
extern char BallHeld;
extern int32_t HeldOffset;
