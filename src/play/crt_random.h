// The random numbers of the C runtime the game was designed on: the same
// sequence on every build, so that replays are exact everywhere.
#pragma once

#include <cstdint>

namespace crt {

constexpr int RandMax = 32767;

void srand(uint32_t seed);
// 0 to 32767.
int rand();

}  // namespace crt
