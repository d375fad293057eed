// The twenty fixed rounds and the builder that lays one of them into the field.
#pragma once

#include <cstdint>

constexpr int32_t RoundLayoutCount = 20;

// Clears all 13 x 16 cells of BrickField, writes the bricks of `round` and
// returns how many bricks must be broken to clear it (armoured ones do not
// count). A round outside 1 to RoundLayoutCount leaves the field empty and
// returns 1.
int32_t BuildRoundLayout(int32_t round);
