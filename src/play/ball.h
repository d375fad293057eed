// The ball's rules: walls, paddle, speeds and its move, per play step. The
// record and the ball globals are declared in play/play_globals.h.
#pragma once

#include "play/play_globals.h"

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
