// The intro sky: dusk over a sea of clouds, lit from a low sun on the
// right, clearer in the middle where the ship and the craft fly.
#include <cmath>
#include <vector>

#include "art.h"
#include "exact_math.h"
#include "gfx/sheet_map.h"
#include "noise.h"
#include "shapes.h"

namespace assetgen {

Color SkyAt(float y) {
    float t = y / sheets::IntroSky.H;
    if (t < 0.55f) return Mix(Hex(0x16204E), Hex(0x5A5C9A), t / 0.55f);
    return Mix(Hex(0x5A5C9A), Hex(0xE89A7A), (t - 0.55f) / 0.45f);
}

Image DrawClouds() {
    const int w = sheets::IntroSky.W, h = sheets::IntroSky.H;
    Image out(w, h);
    // The sample toward the sun is the same noise 4 columns left and 6 rows up:
    // keep the rows made so far and look it up instead of making it twice.
    constexpr int LitDx = 4, LitDy = 6;
    const auto noise = [](int x, int y) { return Fbm(x * 0.0045f, y * 0.011f, 3030, 6); };
    std::vector<float> rows(size_t(w) * h);
    ForEachRow(0, h, [&](int y) {
        for (int x = 0; x < w; ++x) rows[size_t(y) * w + x] = noise(x, y);
    });
    ForEachRow(0, h, [&](int y) {
        for (int x = 0; x < w; ++x) {
            Color sky = SkyAt(float(y));
            float sun = Hypot((x - 760.f) / 300, (y - 470.f) / 200);
            sky = sky + Hex(0xFFB070) * (0.5f * std::exp(-sun * sun * 2));
            // Layers of cloud: large soft banks, thicker low down.
            float n = rows[size_t(y) * w + x];
            float band = 0.18f + 0.22f * Smooth(250, 600, float(y)) + 0.12f * Smooth(160, 0, float(y));
            float clear = 0.12f * std::exp(-Squared((y - 300.f) / 70) - Squared((x - 420.f) / 160));
            float density = Smooth(0.62f - band, 0.8f - band, n) * (1 - clear * 5);
            density = Clamp01(density);
            // Lit from above and the right: compare with a point toward the sun.
            float lit =
                x >= LitDx && y >= LitDy ? rows[size_t(y - LitDy) * w + (x - LitDx)] : noise(x - LitDx, y - LitDy);
            float shade = Clamp01(0.55f + (n - lit) * 9);
            Color cloud = Mix(Hex(0x4A4878), Hex(0xFFE0C8), shade * (0.5f + 0.5f * Smooth(100, 600, float(y))));
            cloud = Mix(cloud, Hex(0xFFFFFF), shade * 0.15f);
            out.At(x, y) = Visible(Mix(sky, cloud, density * 0.9f));
        }
    });
    return out;
}

}  // namespace assetgen
