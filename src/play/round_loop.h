// Round play: one step per call while lives remain.
#pragma once

#include <cstdint>

#include "play/play_globals.h"

// One call: a new game or round when pending, one of the sixteen field
// redraws that open a round, and from the sixteenth call on a play step.
// 0 when the mouse could not be read, else 1.
int32_t PlayFrame();

// Redraws the sweep cell and the ball's cell with its four neighbours, where
// they are played cells holding bricks; the second pass of a step also moves
// the sweep on.
void RepairBricks(int32_t hitColumn, int32_t hitRow, bool advanceSweep);

// The layout a round is played with: after round 20 they come round again.
int32_t LayoutForRound(int32_t round);
