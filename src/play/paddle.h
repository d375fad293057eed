// The paddle: the player's piece on the line y 550.
#pragma once

#include <cstdint>

#include "gfx/sprite_pos.h"
#include "platform/platform.h"

// Paddle kinds.
constexpr int32_t PaddleNormal = 10;
constexpr int32_t PaddleCatch = 2;
constexpr int32_t PaddleLaser = 3;
constexpr int32_t PaddleNarrow = 4;
constexpr int32_t PaddleWide = 6;
constexpr int32_t PaddleExit = 11;

struct Paddle {
    SpritePos Pos;
    int32_t PaddleFrame = 0;  // frame within the image row of the morph state
    int32_t PaddleKind = 0;
    char CatchArmed = 0;      // a catch paddle holds the ball at its next hit
    int32_t PaddleMorph = 0;  // morph state 0 to 9

    // Wipes the whole lane the paddle was drawn on two frames back, then
    // draws image (row, frame) at (x, y).
    void Draw(int32_t x, int32_t y, int32_t row, int32_t frame);
};

extern Paddle ThePaddle;

extern int32_t PaddleX;
extern int32_t PaddleY;
extern char Morphing;
extern int32_t MorphTick;
extern char FireLatch;
// What the mouse read of this play step gave.
extern plat::MouseState MouseState;

// The button, the motion and the limits of one play step. True when the
// exit paddle has been moved past its right limit: the exit sequence runs.
bool MovePaddle();
// The still image of the kind, or one step of the morph animation.
void DrawPaddleImage();
// Starts the morph away from the present kind, before a capsule sets the
// new kind.
void MorphFromOldKind(int32_t newKind);
