// Small sprites: the ball, the laser shot, the explosion of a lost life
// and the exit gate.
#include <cmath>
#include <numbers>

#include "art.h"
#include "exact_math.h"
#include "gfx/screen_map.h"
#include "gfx/sheet_map.h"
#include "noise.h"
#include "palette.h"
#include "rng.h"
#include "shapes.h"

namespace assetgen {

Image DrawBall() {
    Layer layer(sheets::BallImage.W, sheets::BallImage.H);
    Bevel sphere{4.2f, 1.2f, true, 0.9f, 12, 1};
    DrawBevelled(
        layer, 0, 0, layer.Width, layer.Height, [](float x, float y) { return SdCircle(x, y, 5, 5, 4.3f); },
        [](float, float) { return Hex(0xE8F2FF); }, sphere, Hex(0x2A3A66), 0.75f);
    return FlattenKeyed(layer);
}

Image DrawLaserShot() {
    Layer layer(sheets::LaserShot.W, sheets::LaserShot.H);
    auto bolt = [](float x, float y) { return SdSegment(x, y, 3, 3, 3, 16) - 2.6f; };
    DrawShape(layer, 0, 0, layer.Width, layer.Height, bolt, [](float, float y, float inside, float, float) {
        Color core = Mix(Hex(0xFFFFFF), Hex(0xFFF27A), y / 19);
        Color rim = Mix(Hex(0xFF9A2E), Hex(0xE8281C), y / 19);
        return Mix(rim, core, Smooth(0.6f, 1.8f, inside));
    });
    return FlattenKeyed(layer);
}

// A burst centred on the paddle (which stands at x 10, y 60 of the frame):
// a fireball that swells, burns hollow and breaks up into embers and smoke,
// with sparks and pieces of the paddle flying out.
Image DrawExplosion(int frame) {
    const sheets::Rect r = sheets::ExplosionFrame(frame);
    Layer layer(r.W, r.H);
    const float t = (frame + 1) / 12.f;
    const float cx = 65, cy = 66;
    const float radius = 12 + 52 * (1 - (1 - t) * (1 - t));
    const float hollow = Smooth(0.3f, 0.9f, t) * 0.75f;  // the core burns out
    const float thin = Smooth(0.45f, 1.0f, t) * 0.8f;    // and it breaks up
    for (int y = 0; y < r.H; ++y) {
        for (int x = 0; x < r.W; ++x) {
            float dx = (x + 0.5f - cx) / radius, dy = (y + 0.5f - cy) / (radius * 0.72f);
            float q = Hypot(dx, dy);
            // The noise (0 to 1) moves the edge by 0.275 at most: beyond, nothing burns.
            if (q > 1.3f) continue;
            float n = Fbm(x * 0.09f, y * 0.09f + frame * 0.7f, 900, 4);
            float qn = q + (n - 0.5f) * 0.55f;
            if (qn > 1 || (hollow > 0 && qn < hollow * 0.9f)) continue;
            if (Hash2(x, y, 901 + frame) < thin * (0.4f + 0.6f * qn)) continue;
            // Hot inside, cooling outward and over time.
            float heat = Clamp01(1.15f - qn * 0.9f - t * 0.55f + (n - 0.5f) * 0.4f);
            Color c;
            if (heat > 0.8f)
                c = Mix(Hex(0xFFD84A), Hex(0xFFFFF0), (heat - 0.8f) / 0.2f);
            else if (heat > 0.5f)
                c = Mix(Hex(0xF26A1C), Hex(0xFFD84A), (heat - 0.5f) / 0.3f);
            else if (heat > 0.25f)
                c = Mix(Hex(0x9C2418), Hex(0xF26A1C), (heat - 0.25f) / 0.25f);
            else
                c = Mix(Hex(0x4A3A52), Hex(0x9C2418), heat / 0.25f);
            layer.Blend(x, y, c, 1);
        }
    }
    // Sparks and paddle pieces follow fixed paths, the same in every frame.
    Rng rng(0xB0B);
    for (int i = 0; i < 46; ++i) {
        float angle = rng.Range(-std::numbers::pi_v<float>, 0.25f);
        float speed = rng.Range(0.5f, 1.25f);
        bool piece = i < 10;
        float life = rng.Range(0.6f, 1.1f);
        if (t > life) continue;
        float dist = speed * 62 * std::sqrt(t);
        float px = cx + std::cos(angle) * dist * 1.2f;
        float py = cy + std::sin(angle) * dist * 0.75f + (piece ? 30 * t * t : 8 * t * t);
        if (piece) {
            Color c = i % 3 == 0 ? palette::CapRed : palette::Silver;
            float a = rng.Range(0, 3.f) + t * 6;
            FillShape(
                layer, int(px) - 5, int(py) - 5, int(px) + 6, int(py) + 6,
                [=](float x, float y) {
                    return SdSegment(x, y, px - std::cos(a) * 2.5f, py - std::sin(a) * 2.5f, px + std::cos(a) * 2.5f,
                                     py + std::sin(a) * 2.5f) -
                           1.1f;
                },
                Darken(c, t * 0.4f));
        } else {
            Color c = Mix(Hex(0xFFF6B0), Hex(0xE0401C), t / life);
            float tail = 5 * (1 - t);
            float tx = px - std::cos(angle) * tail, ty = py - std::sin(angle) * tail * 0.7f;
            FillShape(
                layer, int(px) - 8, int(py) - 8, int(px) + 9, int(py) + 9,
                [=](float x, float y) { return SdSegment(x, y, tx, ty, px, py) - 0.8f; }, c);
        }
    }
    return FlattenKeyed(layer);
}

// The gate is the stretch of right wall it covers, with a glowing slot
// whose bands run upward frame by frame.
Image DrawGate(int frame, const Image& walls) {
    const sheets::Rect r = sheets::ExitGateFrames.Frame(frame);
    Image wall = Crop(walls, screen::ExitGate.X, screen::ExitGate.Y, r.W, r.H);
    Layer layer(r.W, r.H);
    PasteIntoLayer(layer, wall, 0, 0, false);
    const float phase = float(frame) / sheets::ExitGateFrames.Count;
    auto slot = [](float x, float y) { return SdRoundRect(x, y, 8.5f, 26.5f, 4.5f, 22, 4); };
    FillShape(
        layer, 0, 0, r.W, r.H, [&](float x, float y) { return slot(x, y) - 1.2f; }, palette::Ink);
    DrawShape(layer, 0, 0, r.W, r.H, slot, [&](float x, float y, float inside, float, float) {
        float wave = 0.5f + 0.5f * std::sin(2 * std::numbers::pi_v<float> * (y / 13 + phase));
        float edge = Smooth(0, 3, inside);
        Color glow = Mix(Hex(0x6A2CD8), Hex(0x6FF4FF), wave);
        glow = Mix(Hex(0xFFFFFF), glow, 0.35f + 0.65f * edge);
        float mid = 1 - std::fabs(x - 8.5f) / 5;
        return Lighten(glow, 0.35f * mid * wave);
    });
    return FlattenOpaque(layer);
}

}  // namespace assetgen
