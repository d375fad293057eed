// The ball against the bricks.
#pragma once

#include <cstdint>

// Hits on bricks that did not break since the last break or paddle return.
extern int32_t BrickBounceCount;
