// Seeded randomness: the same seed gives the same art and sound on every run.
#pragma once

#include <cstdint>

namespace assetgen {

constexpr uint64_t Mix64(uint64_t z) {
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(Mix64(seed)) {}
    uint64_t Next() { return Mix64(state_++); }
    // Uniform in [0, 1).
    float Unit() { return float(Next() >> 40) / float(1ull << 24); }
    float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
    int Int(int lo, int hiInclusive) { return lo + int(Next() % uint64_t(hiInclusive - lo + 1)); }

private:
    uint64_t state_;
};

// A stable pseudo-random value in [0, 1) for a lattice point, for textures.
inline float Hash2(int x, int y, uint32_t seed) {
    uint64_t k = (uint64_t(uint32_t(x)) << 32) ^ uint32_t(y) ^ (uint64_t(seed) << 17) ^ seed;
    return float(Mix64(k) >> 40) / float(1ull << 24);
}

}  // namespace assetgen
