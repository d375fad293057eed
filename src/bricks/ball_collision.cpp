#include "bricks/ball_collision.h"

int32_t BrickBounceCount = 0;
