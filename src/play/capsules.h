// Capsules: what a broken brick may drop, and the power-ups they carry. The
// kinds and their facts are in play/kinds.h, the release in play/handoffs.h,
// the record and the capsule globals in play/play_globals.h.
#pragma once

#include <cstdint>

#include "play/play_globals.h"

// Points for a caught capsule.
constexpr int32_t CatchBonus = 1000;

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
