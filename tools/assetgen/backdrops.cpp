// The eleven round backdrops: dark embossed patterns, each in its own hue,
// with a soft light from the top left and darker corners, so that the
// bright bricks, ball and capsules stand out over them.
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "art.h"
#include "exact_math.h"
#include "gfx/sheet_map.h"
#include "noise.h"
#include "rng.h"
#include "shapes.h"

namespace assetgen {
namespace {

constexpr float Pi = std::numbers::pi_v<float>;

// A pattern gives a height in [0, 1] and a tone in [0, 1] for each pixel.
struct Sample {
    float Height;
    float Tone;
};
using PatternFn = std::function<Sample(float x, float y)>;

struct Style {
    PatternFn Pattern;
    Color Dark, Light;
    float Relief;  // strength of the emboss
};

float Fract(float v) { return v - std::floor(v); }

Sample Honeycomb(float x, float y) {
    const float s = 26;
    float qx = x / (s * std::sqrt(3.f)), qy = y / (s * 1.5f);
    // Distance to the nearest hexagon centre on a staggered lattice.
    float best = 1e9f, second = 1e9f;
    int row = int(std::floor(qy));
    for (int r = row - 1; r <= row + 2; ++r) {
        float off = (r & 1) ? 0.5f : 0;
        int col = int(std::floor(qx - off));
        for (int c = col - 1; c <= col + 2; ++c) {
            float hx = (c + off) * s * std::sqrt(3.f), hy = r * s * 1.5f;
            float d = Hypot(x - hx, y - hy);
            if (d < best) {
                second = best;
                best = d;
            } else if (d < second)
                second = d;
        }
    }
    float edge = (second - best) / 2;
    return {Smooth(0, 5, edge), Fbm(x * 0.01f, y * 0.01f, 11, 3)};
}

Sample DiamondPlate(float x, float y) {
    float u = Fract((x + y) / 34), v = Fract((x - y) / 34);
    float bump = std::max(0.f, 1 - Hypot(u - 0.5f, (v - 0.5f) * 2.6f) * 4);
    float u2 = Fract((x + y) / 34 + 0.5f), v2 = Fract((x - y) / 34 + 0.5f);
    float bump2 = std::max(0.f, 1 - Hypot((u2 - 0.5f) * 2.6f, v2 - 0.5f) * 4);
    float grain = Fbm(x * 0.3f, y * 0.02f, 21, 2);
    return {std::max(bump, bump2) * 0.8f + grain * 0.2f, grain};
}

Sample TechPanels(float x, float y) {
    const float pw = 96, ph = 72;
    float px = Fract(x / pw), py = Fract(y / ph);
    int cx = int(std::floor(x / pw)), cy = int(std::floor(y / ph));
    float edge = std::min({px * pw, (1 - px) * pw, py * ph, (1 - py) * ph});
    float h = Smooth(0, 4, edge) * 0.7f;
    // A sunken slot or vent on some panels.
    float kind = Hash2(cx, cy, 31);
    float lx = px * pw - pw / 2, ly = py * ph - ph / 2;
    if (kind < 0.4f) {
        for (int i = -2; i <= 2; ++i) {
            float d = std::fabs(ly - i * 8);
            if (d < 2 && std::fabs(lx) < 28) h -= 0.45f * Smooth(2, 0.5f, d);
        }
    } else if (kind < 0.7f) {
        float d = Hypot(lx, ly);
        h += 0.35f * Smooth(16, 13, d) - 0.3f * Smooth(9, 7, d);
    }
    // Rivets in the corners.
    float rx = std::min(px * pw, (1 - px) * pw), ry = std::min(py * ph, (1 - py) * ph);
    float rd = Hypot(rx - 8, ry - 8);
    h += 0.4f * Smooth(2.6f, 1, rd);
    return {h, kind};
}

Sample Marble(float x, float y) {
    float n = Fbm(x * 0.006f, y * 0.006f, 41, 5);
    float veins = std::fabs(std::sin((x * 0.012f + y * 0.004f + n * 7) * Pi));
    float v = std::pow(veins, 0.35f);
    return {v * 0.6f + n * 0.4f, 1 - v};
}

Sample Ripples(float x, float y) {
    float h = 0;
    const float centres[3][2] = {{120, 140}, {520, 90}, {330, 470}};
    for (const auto& c : centres) {
        float d = Hypot(x - c[0], y - c[1]);
        h += std::sin(d * 0.16f) * std::exp(-d * 0.0035f);
    }
    float n = Fbm(x * 0.01f, y * 0.01f, 51, 3);
    return {0.5f + h * 0.28f + (n - 0.5f) * 0.2f, n};
}

Sample Masonry(float x, float y) {
    const float bw = 64, bh = 30;
    int row = int(std::floor(y / bh));
    float ox = (row & 1) ? bw / 2 : 0;
    float px = Fract((x + ox) / bw) * bw, py = Fract(y / bh) * bh;
    int col = int(std::floor((x + ox) / bw));
    float edge = std::min({px, bw - px, py, bh - py});
    float rough = Fbm(x * 0.08f, y * 0.08f, 61, 3);
    float h = Smooth(0.5f, 4, edge) * (0.75f + rough * 0.25f);
    return {h, Hash2(col, row, 62) * 0.6f + rough * 0.4f};
}

Sample Nebula(float x, float y) {
    float n = Fbm(x * 0.004f, y * 0.005f, 71, 5);
    float star = Hash2(int(x), int(y), 72);
    float s = star > 0.9975f ? 1.f : 0.f;
    return {n * 0.3f, std::min(1.f, Smooth(0.35f, 0.8f, n) + s * 2)};
}

Sample Scales(float x, float y) {
    const float r = 22;
    int row = int(std::floor(y / (r * 0.8f)));
    float best = 1e9f;
    for (int dr = 0; dr <= 1; ++dr) {
        int rr = row + dr;
        float ox = (rr & 1) ? r : 0;
        float cy = rr * r * 0.8f;
        int col = int(std::floor((x - ox) / (2 * r)));
        for (int dc = 0; dc <= 1; ++dc) {
            float cx = (col + dc) * 2 * r + ox + r;
            float d = Hypot(x - cx, y - cy);
            if (d < r * 1.15f) best = std::min(best, d);
        }
    }
    float h = best < 1e8f ? 1 - best / (r * 1.15f) : 0;
    return {std::sqrt(std::max(h, 0.f)), Fbm(x * 0.02f, y * 0.02f, 81, 2)};
}

Sample Weave(float x, float y) {
    const float s = 24;
    int cx = int(std::floor(x / s)), cy = int(std::floor(y / s));
    float px = Fract(x / s), py = Fract(y / s);
    bool across = ((cx + cy) & 1) == 0;
    float t = across ? py : px, along = across ? px : py;
    float h = std::sin(t * Pi) * (0.65f + 0.35f * std::sin(along * Pi));
    float fibre = Fbm(across ? x * 0.04f : x * 0.6f, across ? y * 0.6f : y * 0.04f, 91, 2);
    return {h * 0.85f + fibre * 0.15f, across ? 0.3f + fibre * 0.3f : 0.6f + fibre * 0.3f};
}

Sample Cubes(float x, float y) {
    // Tumbling blocks: three lozenges per hexagonal tile, lit as cube faces.
    const float s = 30;
    float u = x / (s * std::sqrt(3.f)), v = y / s - u * 0.5f * std::sqrt(3.f) / std::sqrt(3.f);
    float a = u, b = y / (s * 1.5f) - u * 0.5f;
    (void)v;
    float fa = Fract(a), fb = Fract(b);
    float face = fa + fb < 1 ? (fa > fb ? 0.f : 0.5f) : (fa > fb ? 0.5f : 1.f);
    float edge = std::min({fa, 1 - fa, fb, 1 - fb, std::fabs(fa - fb) * 0.7f, std::fabs(fa + fb - 1) * 0.7f});
    return {0.5f + Smooth(0, 0.06f, edge) * 0.3f, face};
}

Sample Crystals(float x, float y) {
    float d = CellDistance(x / 48, y / 48, 111);
    float n = Fbm(x * 0.02f, y * 0.02f, 112, 2);
    return {Smooth(0, 0.5f, d) * 0.8f + n * 0.2f, Smooth(0.1f, 0.7f, d)};
}

const std::vector<Style>& Styles() {
    static const std::vector<Style> styles = {
        {Honeycomb, Hex(0x081230), Hex(0x24407A), 2.2f},  {DiamondPlate, Hex(0x0E1618), Hex(0x3C5258), 2.5f},
        {TechPanels, Hex(0x0A1A12), Hex(0x2A5A3E), 2.6f}, {Marble, Hex(0x140A22), Hex(0x4A2E66), 1.2f},
        {Ripples, Hex(0x041A22), Hex(0x1E5664), 1.8f},    {Masonry, Hex(0x1E0A0C), Hex(0x5A2A26), 2.2f},
        {Nebula, Hex(0x050818), Hex(0x3A2C6A), 0.6f},     {Scales, Hex(0x101A08), Hex(0x3C5222), 2.4f},
        {Weave, Hex(0x1A1006), Hex(0x5A3C1C), 2},         {Cubes, Hex(0x0C1020), Hex(0x3C4670), 1.2f},
        {Crystals, Hex(0x1A0620), Hex(0x54225E), 2.2f},
    };
    return styles;
}

}  // namespace

Image DrawBackdrop(int index) {
    const Style& style = Styles()[size_t(index)];
    const int w = sheets::SurfaceWidth, h = sheets::SurfaceHeight;
    std::vector<Sample> field(size_t(w) * h);
    ForEachRow(0, h, [&](int y) {
        for (int x = 0; x < w; ++x) field[size_t(y) * w + x] = style.Pattern(x + 0.5f, y + 0.5f);
    });
    Image out(w, h);
    const float shownCx = sheets::RoundArtShown.W / 2.f, shownCy = sheets::RoundArtShown.H / 2.f;
    ForEachRow(0, h, [&](int y) {
        for (int x = 0; x < w; ++x) {
            auto at = [&](int px, int py) {
                px = std::clamp(px, 0, w - 1);
                py = std::clamp(py, 0, h - 1);
                return field[size_t(py) * w + px];
            };
            Sample s = at(x, y);
            float gx = at(x + 1, y).Height - at(x - 1, y).Height;
            float gy = at(x, y + 1).Height - at(x, y - 1).Height;
            // Light from the top left: slopes facing it are brighter.
            float light = 1 - (gx + gy) * style.Relief;
            Color c = Mix(style.Dark, style.Light, Clamp01(0.25f + s.Tone * 0.45f + s.Height * 0.3f));
            c = c * std::clamp(light, 0.35f, 1.8f);
            float vignette = Hypot((x - shownCx) / shownCx, (y - shownCy) / shownCy);
            c = c * (1.05f - 0.45f * Smooth(0.5f, 1.45f, vignette));
            out.At(x, y) = Visible(c);
        }
    });
    return out;
}

}  // namespace assetgen
