#include "noise.h"

#include <cmath>

#include "exact_math.h"
#include "rng.h"

namespace assetgen {

namespace {

// The lattice values at the corners of one cell.
struct Corners {
    int X = 0, Y = 0;
    uint32_t Seed = 0;
    bool Known = false;
    float A = 0, B = 0, C = 0, D = 0;
};

// Value noise with the corners of the last cell it fell in, which are
// hashed again only when (x, y) leaves that cell.
float ValueNoiseIn(float x, float y, uint32_t seed, Corners& corners) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    if (!corners.Known || corners.X != ix || corners.Y != iy || corners.Seed != seed) {
        const float a = Hash2(ix, iy, seed), b = Hash2(ix + 1, iy, seed);
        const float c = Hash2(ix, iy + 1, seed), d = Hash2(ix + 1, iy + 1, seed);
        corners = {ix, iy, seed, true, a, b, c, d};
    }
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    float top = corners.A + (corners.B - corners.A) * tx, bottom = corners.C + (corners.D - corners.C) * tx;
    return top + (bottom - top) * ty;
}

}  // namespace

float ValueNoise(float x, float y, uint32_t seed) {
    Corners corners;
    return ValueNoiseIn(x, y, seed, corners);
}

float Fbm(float x, float y, uint32_t seed, int octaves) {
    // A picture asks for neighbouring points one after another, which
    // mostly fall in the cells of the point before: each octave keeps its
    // last cell (one set per thread, as the build draws pictures side by side).
    constexpr int Remembered = 8;
    thread_local Corners last[Remembered];
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        Corners fresh;
        sum += amp * ValueNoiseIn(x, y, seed + uint32_t(i) * 101u, i < Remembered ? last[i] : fresh);
        norm += amp;
        amp *= 0.5f;
        // Rotate a little between octaves so the lattice does not show.
        float nx = x * 1.6f - y * 1.2f, ny = x * 1.2f + y * 1.6f;
        x = nx + 17.3f;
        y = ny + 5.1f;
    }
    return sum / norm;
}

float CellDistance(float x, float y, uint32_t seed) {
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    float best = 9;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int cx = ix + dx, cy = iy + dy;
            float px = float(cx) + Hash2(cx, cy, seed), py = float(cy) + Hash2(cx, cy, seed + 7);
            float d = Hypot(px - x, py - y);
            if (d < best) best = d;
        }
    }
    return best;
}

}  // namespace assetgen
