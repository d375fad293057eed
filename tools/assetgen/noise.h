// Smooth value noise for textures and clouds.
#pragma once

#include <cstdint>

namespace assetgen {

// Value noise in [0, 1) with smooth interpolation between lattice points.
float ValueNoise(float x, float y, uint32_t seed);
// Sum of `octaves` layers, each twice as fine and half as strong; in [0, 1).
float Fbm(float x, float y, uint32_t seed, int octaves);
// Distance to the nearest of the jittered cell points (cellular noise).
float CellDistance(float x, float y, uint32_t seed);

}  // namespace assetgen
