// The ball against the bricks.
#pragma once

#include <cstdint>

#include "play/play_globals.h"

// Once per play step, with the ball where the last step left it and before
// it moves: finds the cell the ball's leading corner entered, wears its brick
// down or breaks it, and turns the ball away by the face it came through.
// The ball cell goes to hitColumn and hitRow whether or not a brick was
// struck; brickBroken becomes 1 on a break and is otherwise left alone. The
// capsule arguments serve the release of a broken brick's capsule.
void CollideBallWithBricks(int32_t& hitColumn, int32_t& hitRow, Ball& ball, const int32_t& ballX, const int32_t& ballY,
                           float& ballSpeed, int32_t& brickBroken, char& capsuleActive, const Paddle& paddle,
                           int32_t& frameCycle, int32_t& capsuleColumn, int32_t& capsuleY, Capsule& capsule);
