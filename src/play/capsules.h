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

    // Wipes the capsule at both its last positions and redraws the bricks
    // they overlapped; the stored position stays.
    void Erase(int32_t column, int32_t y) const;
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

// Mode 1 draws gate picture `frame` in the right wall; mode 0 removes the
// gate from both pages; any other mode does nothing.
void DrawExitGate(int32_t frame, int32_t mode);
