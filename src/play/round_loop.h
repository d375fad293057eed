// Round play: one step per call while lives remain.
#pragma once

#include <cstdint>

extern char NewGamePending;
extern char RoundSetupPending;
extern int32_t RoundFrameCount;
extern int32_t BricksLeft;
extern int32_t FrameCycle;
extern int32_t RepairColumn;
extern int32_t RepairRow;
// The exit gate in the right wall.
extern int32_t GateTick;
extern int32_t GateFrame;

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
