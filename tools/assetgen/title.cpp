// The title picture. The screen first shows its top-left 201 x 1 pixels
// stretched over everything and zooms in from there, so that corner holds a
// smooth sunrise glow rather than any fine detail; the name stands over a
// glass orb, above a row of bricks and a neon floor.
#include <cmath>

#include "art.h"
#include "exact_math.h"
#include "gfx/sheet_map.h"
#include "lettering.h"
#include "noise.h"
#include "palette.h"
#include "rng.h"
#include "shapes.h"

namespace assetgen {

void DrawOrb(Layer& layer, float cx, float cy, float scale, int clipBottom) {
    const float orad = TitleOrbRadius * scale;
    const Area glow = Around(cx, cy, orad, 50 * scale);
    AddGlow(
        layer, glow.X0, glow.Y0, glow.X1, glow.Y1, [=](float x, float y) { return SdCircle(x, y, cx, cy, orad); },
        Hex(0x3A8AFF), 50 * scale, 0.3f);
    Bevel glass{orad, 0.9f, true, 0.5f, 30, 1};
    const Area orb = Around(cx, cy, orad, 2 * scale);
    DrawBevelled(
        layer, orb.X0, orb.Y0, orb.X1, std::min(orb.Y1, clipBottom),
        [=](float x, float y) { return SdCircle(x, y, cx, cy, orad); },
        [=](float x, float y) {
            // The glass's texture is laid out on the title's pixels, so every
            // size shows the same pattern.
            const float tx = TitleOrbX + (x - cx) / scale, ty = TitleOrbY + (y - cy) / scale;
            float n = Fbm(tx * 0.015f, ty * 0.015f, 5151, 5);
            float rim = Smooth(TitleOrbRadius - 40, TitleOrbRadius, Hypot(tx - TitleOrbX, ty - TitleOrbY));
            Color c = Mix(Hex(0x141A4A), Hex(0x2A3A8A), n);
            return Mix(c, Hex(0x5AC8FF), rim * 0.6f);
        },
        glass, Hex(0x0A0A20), 2 * scale);
}

TextStyle TitleLetters(float scale) { return {23 * scale, 9.5f * scale, 1.5f, 0.08f, 1}; }

LetterPaint TitleGold(float scale) { return {Hex(0xFFF8D0), Hex(0xE07A10), Hex(0x1A0A04), 4 * scale, 8 * scale, 0.8f}; }

Image DrawTitle() {
    const int w = sheets::TitlePicture.W, h = sheets::TitlePicture.H;
    Layer layer(w, h);
    const float horizon = 432;
    ForEachRow(0, h, [&](int y) {
        for (int x = 0; x < w; ++x) {
            float fy = y / horizon;
            Color c = fy < 1 ? Mix(Hex(0x0C0A2A), Hex(0x3A1252), Smooth(0, 1, fy)) : Hex(0x08081A);
            // The glow from the top-left corner.
            float corner = Hypot(x / 520.f, y / 360.f);
            c = c + Hex(0xFF7A50) * (0.75f * std::exp(-corner * corner * 2.2f));
            c = c + Hex(0x5A2A8A) * (0.4f * std::exp(-corner * 1.2f));
            // The haze rises from row 60: above it, it adds nothing.
            const float rise = Smooth(60, 200, float(y));
            if (fy < 1 && rise > 0) {
                float n = Fbm(x * 0.006f, y * 0.008f, 5150, 4);
                c = c + Hex(0x6A2A7A) * (Smooth(0.5f, 0.85f, n) * 0.45f * rise);
            }
            layer.At(x, y) = {c.R, c.G, c.B, 1};
        }
    });
    // Stars, kept away from the corner the zoom starts in.
    Rng rng(0x717E);
    for (int i = 0; i < 260; ++i) {
        float sx = rng.Range(0, float(w)), sy = rng.Range(0, horizon - 10);
        if (sx < 260 && sy < 120) continue;
        float b = rng.Range(0.2f, 1);
        layer.Blend(int(sx), int(sy), Mix(Hex(0x9AA8FF), Hex(0xFFFFFF), b), b);
        if (b > 0.92f) {
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                layer.Blend(int(sx) + dx, int(sy) + dy, Hex(0xC8D0FF), 0.45f);
            }
        }
    }
    // The neon floor: lines run to a vanishing point on the horizon.
    ForEachRow(int(horizon), h, [&](int y) {
        float depth = (y - horizon + 6) / (h - horizon);
        for (int x = 0; x < w; ++x) {
            float u = (x - 400) / (depth * 40);
            float lineV = std::fabs(u - std::round(u)) * depth * 40;
            float z = 1 / depth;
            float lineH = std::fabs(z * 3 - std::round(z * 3)) / (z * 3 * 0.08f);
            float k = std::max(Smooth(1.6f, 0.2f, lineV), Smooth(1.2f, 0.1f, lineH));
            float fade = Smooth(0, 0.6f, depth);
            layer.Blend(x, y, Mix(Hex(0xFF3AB0), Hex(0x3AE8FF), depth), k * fade * 0.8f);
        }
    });
    AddGlow(
        layer, 0, int(horizon) - 40, w, int(horizon) + 10, [=](float, float y) { return std::fabs(y - horizon) - 1; },
        Hex(0xFF5AC8), 24, 0.35f);
    // The orb behind the name.
    const float ox = TitleOrbX, oy = TitleOrbY;
    DrawOrb(layer, ox, oy, 1, int(horizon));
    // The name.
    const TextStyle big = TitleLetters(1);
    float tw = TextWidth("QORB", big);
    TextShape name(LayoutText("QORB", ox - tw / 2, 160, big), big.Weight);
    AddTextGlow(layer, name, Hex(0x60D0FF), 26, 0.45f);
    DrawLettering(layer, "QORB", ox - tw / 2, 160, big, TitleGold(1));
    // A row of the game's bricks under the orb, and the paddle and ball.
    for (int i = 0; i < 9; ++i) PasteIntoLayer(layer, DrawBrick(i), 400 - 9 * 24 + i * 48, 392, true);
    PasteIntoLayer(layer, DrawPaddle(1, 0), 345, 470, true);
    PasteIntoLayer(layer, DrawBall(), 402, 446, true);
    // The hint.
    TextStyle hint{3.4f, 1.7f, 1.8f, 0, 1.1f};
    LetterPaint cyan{Hex(0xFFFFFF), Hex(0x60D8FF), Hex(0x0A1030), 1.8f, 1.6f, 0.5f};
    DrawLetteringCentred(layer, "PRESS ENTER", 400, 530, hint, cyan);
    TextStyle small{2, 1, 2, 0, 1};
    LetterPaint dim{Hex(0xB0A8D8), Hex(0x7A70A8), Hex(0x0A0A20), 1, 1, 0};
    DrawLetteringCentred(layer, "ESC TO LEAVE", 400, 565, small, dim);
    return FlattenOpaque(layer);
}

}  // namespace assetgen
