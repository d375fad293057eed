// The game-over picture: a shattered orb over a dark nebula, the words in
// red chrome, and the last bricks lying in a heap, in a metal frame.
#include <cmath>
#include <numbers>

#include "art.h"
#include "exact_math.h"
#include "gfx/sheet_map.h"
#include "lettering.h"
#include "noise.h"
#include "palette.h"
#include "rng.h"
#include "shapes.h"

namespace assetgen {

Image DrawGameOver() {
    const int w = sheets::GameOverPicture.W, h = sheets::GameOverPicture.H;
    Layer layer(w, h);
    const float cx = w / 2.f;
    ForEachRow(0, h, [&](int y) {
        for (int x = 0; x < w; ++x) {
            float d = Hypot((x - cx) / w, (y - h * 0.38f) / h);
            float n = Fbm(x * 0.012f, y * 0.012f, 4040, 5);
            Color c = Mix(Hex(0x2C0E3A), Hex(0x05040C), Smooth(0.05f, 0.7f, d));
            c = c + Hex(0x6A1420) * (Smooth(0.45f, 0.8f, n) * 0.55f * (1 - Smooth(0.2f, 0.7f, d)));
            layer.At(x, y) = {c.R, c.G, c.B, 1};
        }
    });
    Rng rng(0x6A0E);
    for (int i = 0; i < 90; ++i) {
        float sx = rng.Range(8, w - 8.f), sy = rng.Range(8, h - 8.f), b = rng.Range(0.25f, 0.9f);
        layer.Blend(int(sx), int(sy), Mix(Hex(0x8A90C0), Hex(0xFFFFFF), b), b);
    }
    // The orb, broken: a dim sphere with glowing cracks.
    const float ox = cx, oy = 112, orad = 66;
    const Area glow = Around(ox, oy, orad, 40);
    AddGlow(
        layer, glow.X0, glow.Y0, glow.X1, glow.Y1, [=](float x, float y) { return SdCircle(x, y, ox, oy, orad); },
        Hex(0xC0301C), 40, 0.35f);
    std::vector<Stroke> cracks;
    for (int i = 0; i < 7; ++i) {
        float a = rng.Range(0, 2 * std::numbers::pi_v<float>);
        float px = ox + rng.Range(-10, 10.f), py = oy + rng.Range(-10, 10.f);
        for (int s = 0; s < 6; ++s) {
            a += rng.Range(-0.6f, 0.6f);
            float len = rng.Range(9, 16.f);
            float nx = px + std::cos(a) * len, ny = py + std::sin(a) * len;
            cracks.push_back({px, py, nx, ny});
            px = nx;
            py = ny;
        }
    }
    auto crackDist = [&](float x, float y) {
        float best = 1e9f;
        for (const Stroke& s : cracks) best = std::min(best, SdSegment(x, y, s.X0, s.Y0, s.X1, s.Y1));
        return best;
    };
    Bevel sphere{orad, 1, true, 0.45f, 14, 1};
    const Area orb = Around(ox, oy, orad, 2);
    DrawBevelled(
        layer, orb.X0, orb.Y0, orb.X1, orb.Y1, [=](float x, float y) { return SdCircle(x, y, ox, oy, orad); },
        [&](float x, float y) {
            float n = Fbm(x * 0.05f, y * 0.05f, 4041, 4);
            Color c = Mix(Hex(0x3A2A48), Hex(0x6A4A6E), n);
            float k = crackDist(x, y);
            if (k < 1.4f) return Mix(Hex(0xFFF0A0), Hex(0xFF7A20), k / 1.4f);
            return c + Hex(0xA02810) * (std::exp(-k * 0.35f) * 0.8f);
        },
        sphere, Hex(0x0C0810), 2);
    // Shards drifting away from it.
    for (int i = 0; i < 9; ++i) {
        float a = std::numbers::pi_v<float> * (0.9f + 1.2f * i / 8.f) + rng.Range(-0.1f, 0.1f);
        float dist = orad + rng.Range(14, 40.f), size = rng.Range(3, 7.f), spin = rng.Range(0, 3.f);
        float sx = ox + std::cos(a) * dist, sy = oy + std::sin(a) * dist * 0.9f;
        const float cosSpin = std::cos(spin), sinSpin = std::sin(spin);
        // The shard lies within the circle through its corners.
        const Area shard = Around(sx, sy, Hypot(size, size * 0.6f), 1);
        DrawBevelled(
            layer, shard.X0, shard.Y0, shard.X1, shard.Y1,
            [=](float x, float y) {
                float rx = (x - sx) * cosSpin - (y - sy) * sinSpin;
                float ry = (x - sx) * sinSpin + (y - sy) * cosSpin;
                return SdRoundRect(rx, ry, 0, 0, size, size * 0.6f, 1);
            },
            [](float, float) { return Hex(0x5A4262); }, Bevel{2, 1.3f, false, 0.4f, 16, 1}, Hex(0x0C0810), 1);
    }
    // The words.
    LetterPaint red{Hex(0xFFF2E0), Hex(0xE0301A), Hex(0x120406), 2.5f, 4.5f, 0.7f};
    TextStyle style{9, 5.6f, 2.2f, 0.12f, 1.15f};
    for (auto [word, y] : {std::pair{"GAME", 200.f}, std::pair{"OVER", 276.f}}) {
        float tw = TextWidth(word, style);
        TextShape glow(LayoutText(word, cx - tw / 2, y, style), style.Weight);
        AddTextGlow(layer, glow, Hex(0xFF3018), 16, 0.5f);
        DrawLetteringCentred(layer, word, cx, y, style, red);
    }
    // The heap of bricks along the bottom.
    const int heap[][3] = {{2, 40, 392},  {5, 88, 398},  {0, 136, 394}, {8, 184, 399}, {3, 232, 393},
                           {6, 280, 397}, {1, 328, 392}, {4, 376, 398}, {7, 64, 369},  {2, 112, 372},
                           {6, 208, 370}, {0, 304, 371}, {5, 352, 368}, {3, 160, 346}, {1, 260, 347}};
    for (const auto& b : heap) PasteIntoLayer(layer, DrawBrick(b[0]), b[1], b[2], true);
    // The frame, 8 pixels wide: drawn along the four sides only, since
    // nothing further in than `band` is near it.
    Bevel frame{5, 1.3f, true, 0.5f, 16, 1};
    const auto frameShape = [=](float x, float y) {
        float outer = SdRoundRect(x, y, cx, h / 2.f, cx, h / 2.f, 6);
        float inner = SdRoundRect(x, y, cx, h / 2.f, cx - 8, h / 2.f - 8, 4);
        return std::max(outer, -inner);
    };
    const auto frameColor = [](float, float y) { return Mix(Hex(0xB8C4D8), Hex(0x5C6880), y / 436); };
    constexpr int band = 20;
    for (const Area side : {Area{0, 0, w, band}, Area{0, h - band, w, h}, Area{0, band, band, h - band},
                            Area{w - band, band, w, h - band}})
        DrawBevelled(layer, side.X0, side.Y0, side.X1, side.Y1, frameShape, frameColor, frame, palette::Ink, 0);
    return FlattenOpaque(layer);
}

}  // namespace assetgen
