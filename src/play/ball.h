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

    // Erases the ball where it was drawn two frames back and draws it at (x, y).
    void Draw(int32_t x, int32_t y);
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

// Adds 1 to both speeds while together they fall short of the level.
void BalanceSpeed();
// The side walls, then the top wall or the paddle band. True when the ball
// has gone past the bottom line.
bool BounceOffWallsAndPaddle();
// The paddle's hit span and zones, for a ball inside the paddle band.
void BounceOffPaddle();
// Keeps both speeds within the level and above their floors.
void ClampSpeedsInBand();
// Moves a free ball by its speeds, each product truncated toward zero.
void MoveBall();
