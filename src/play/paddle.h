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
    int32_t PaddleFrame = 0;
    int32_t PaddleKind = 0;
    char CatchArmed = 0;
    int32_t PaddleMorph = 0;
};

extern Paddle ThePaddle;

extern int32_t PaddleX;
extern int32_t PaddleY;
extern char Morphing;
extern int32_t MorphTick;
extern char FireLatch;
// What the mouse read of this play step gave.
extern plat::MouseState MouseState;
