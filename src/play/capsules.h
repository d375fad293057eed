// Capsules: what a broken brick may drop, and the power-ups they carry.
#pragma once

#include <cstdint>

#include "gfx/sprite_pos.h"

enum CapsuleKind : int32_t {
    Laser = 1,
    Catch = 2,
    Wide = 3,
    Narrow = 4,
    Slow = 5,
    Exit = 6,
    ExtraLife = 7,
    Reverse = 8,
    Points = 9,
    NoCapsule = 10,  // never released; drawn like Points
};

struct Capsule {
    int32_t Kind = 0;
    SpritePos Pos;  // x is the brick column, y the top pixel row
};

extern Capsule TheCapsule;

extern char CapsuleActive;
extern int32_t CapsuleColumn;
extern int32_t CapsuleY;

// Animation state shared by every capsule.
extern int32_t CapsuleAnimTick;
extern int32_t CapsulePhase;
extern int32_t CapsuleFrameY;
extern int32_t CapsuleSheetX;
