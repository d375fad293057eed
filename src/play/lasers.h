// The laser paddle's volleys of two shots.
#pragma once

#include <cstdint>

struct LaserPair {
    char Active = 0;
    int32_t X = 0;  // PaddleX when fired
    int32_t LeftHeight = 0;
    int32_t RightHeight = 0;
};

// Two volleys can be in flight at once; each sounds its own voice.
extern LaserPair LaserPairA;
extern LaserPair LaserPairB;
extern int32_t LaserCooldown;

// Both pairs out of flight, heights 0, the cooldown over.
void ResetLasers();
