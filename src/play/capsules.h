// Capsules: what a broken brick may drop, and the power-ups they carry.
#pragma once

#include <cstdint>

#include "gfx/sprite_pos.h"

struct Paddle;

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

// Points for a caught capsule.
constexpr int32_t CatchBonus = 1000;

struct Capsule {
    int32_t Kind = 0;
    SpritePos Pos;  // x is the brick column, y the top pixel row

    // Steps the shared animation, wipes the capsule drawn two frames back,
    // draws it at (column, y) and puts the bricks in front of it again.
    void Draw(int32_t column, int32_t y);
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

// The ball has just broken the brick at (column, row): by the brick's drop
// chance a capsule of a random kind starts to fall from it, unless one is
// already falling or the paddle is the exit paddle. Draws one random number
// on every call and a second one for a release.
void ReleaseCapsule(int32_t dropChance, int32_t column, int32_t row, char& capsuleActive, const Paddle& paddle,
                    int32_t& frameCycle, int32_t& capsuleColumn, int32_t& capsuleY, Capsule& capsule);
// The falling capsule's move and catch for this play step. 1 when the paddle
// caught it (the points are scored and the power-up given), else 0.
int32_t StepCapsule();
// What a caught capsule of this kind does to the paddle and the ball.
void ApplyCapsuleEffect(int32_t kind);

// Mode 1 draws gate picture `frame` in the right wall; mode 0 removes the
// gate from both pages; any other mode does nothing.
void DrawExitGate(int32_t frame, int32_t mode);
// The exit paddle slides out through the gate and the round ends with this
// play step.
void RunExitSequence();
