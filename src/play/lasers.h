// The laser paddle's volleys of two shots.
#pragma once

#include <cstdint>

struct LaserPair {
    char Active = 0;
    int32_t X = 0;           // PaddleX when fired
    int32_t LeftHeight = 0;  // above PaddleY; 0 once the shot is gone
    int32_t RightHeight = 0;
};

// Two volleys can be in flight at once; each sounds its own voice.
extern LaserPair LaserPairA;
extern LaserPair LaserPairB;
// Play steps until the next volley may fire.
extern int32_t LaserCooldown;

// Both pairs out of flight, heights 0, the cooldown over.
void ResetLasers();
// The button was released after a press with the ball in play: a laser
// paddle fires a volley with a free pair once the cooldown is over. A
// request that cannot fire is dropped.
void FireLasers();
// Every play step: the cooldown counts down, and each volley in flight is
// redrawn, rises and strikes the bricks its shots reach.
void UpdateLaserVolleys();
