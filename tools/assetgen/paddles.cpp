// Paddles: the still image of each kind, with its body over its hit span,
// and the morph frames that dissolve it into sparks and form it again.
#include <cmath>

#include "art.h"
#include "gfx/sheet_map.h"
#include "palette.h"
#include "rng.h"
#include "shapes.h"

namespace assetgen {
namespace {

enum class Kind { Normal, Laser, Catch, Wide, Narrow };

// Bodies run over the span where the ball's centre bounces off them.
struct Body {
    float Left, Right;  // pixel edges
};
constexpr float MidY = 9.5f, HalfH = 6.5f;

Body BodyOf(Kind kind) {
    switch (kind) {
        case Kind::Wide: return {3, 109};
        case Kind::Narrow: return {34, 75};
        default: return {17, 95};
    }
}

auto PillSdf(Body b) {
    float cx = (b.Left + b.Right) / 2, hw = (b.Right - b.Left) / 2;
    return [=](float x, float y) { return SdRoundRect(x, y, cx, MidY, hw, HalfH, HalfH); };
}

void DrawBody(Layer& layer, Body b, Color centre, Color caps, float capWidth) {
    Bevel bevel{HalfH, 0.9f, true, 0.55f, 16, 1};
    auto base = [=](float x, float y) {
        bool cap = x < b.Left + capWidth || x > b.Right - capWidth;
        Color c = cap ? caps : centre;
        // A bright line along the top catches the light.
        float line = std::exp(-(y - 6.2f) * (y - 6.2f) * 1.5f);
        c = Lighten(c, 0.25f * line);
        // Dark grooves where the caps join the middle.
        float g = std::min(std::fabs(x - (b.Left + capWidth)), std::fabs(x - (b.Right - capWidth)));
        if (g < 0.9f) c = Darken(c, 0.55f);
        return c;
    };
    DrawBevelled(layer, 0, 0, layer.Width, layer.Height, PillSdf(b), base, bevel, palette::Ink, 1);
}

void CentreLight(Layer& layer, float cx, Color c) {
    Bevel lamp{2, 1, true, 0.9f, 10, 1};
    DrawBevelled(
        layer, 0, 0, layer.Width, layer.Height,
        [=](float x, float y) { return SdRoundRect(x, y, cx, MidY, 5, 1.8f, 1.8f); }, [=](float, float) { return c; },
        lamp, Darken(c, 0.7f), 0.6f);
}

void DrawStill(Layer& layer, Kind kind) {
    using namespace palette;
    Body b = BodyOf(kind);
    float cx = (b.Left + b.Right) / 2;
    switch (kind) {
        case Kind::Normal:
        case Kind::Wide:
        case Kind::Narrow: {
            float cap = kind == Kind::Narrow ? 9 : 13;
            DrawBody(layer, b, Silver, CapRed, cap);
            if (kind == Kind::Wide) {
                for (float x : {cx - 30, cx + 30}) CentreLight(layer, x, Hex(0x6FE8FF));
            }
            CentreLight(layer, cx, Energy);
            break;
        }
        case Kind::Laser: {
            DrawBody(layer, b, Silver, Hex(0xF08A24), 13);
            // Gun pods where the shots leave: image x 15 and 87, 6 wide.
            for (float gx : {15.f, 87.f}) {
                float mx = gx + 3;
                Bevel pod{2.5f, 1.3f, false, 0.5f, 20, 1};
                DrawBevelled(
                    layer, 0, 0, layer.Width, layer.Height,
                    [=](float x, float y) { return SdRoundRect(x, y, mx, 11, 3, 6.5f, 1.5f); },
                    [](float, float y) { return Mix(Hex(0x8894AA), Hex(0x3C4456), y / 19); }, pod, Ink, 0.8f);
                DrawBevelled(
                    layer, 0, 0, layer.Width, layer.Height,
                    [=](float x, float y) { return SdRoundRect(x, y, mx, 4, 3, 4, 1); },
                    [](float, float) { return Hex(0xB0BACC); }, Bevel{1.5f, 1.2f, true, 0.6f, 12, 1}, Ink, 0.6f);
                FillShape(
                    layer, 0, 0, layer.Width, layer.Height,
                    [=](float x, float y) { return SdRoundRect(x, y, mx, 1.5f, 1.6f, 1.2f, 0.8f); }, Hex(0xFF5A3C));
            }
            CentreLight(layer, cx, Hex(0xFF6A4A));
            break;
        }
        case Kind::Catch: {
            DrawBody(layer, b, Hex(0x54D86A), Hex(0x1F8F44), 13);
            // Goo: blobs along the top and drips hanging below.
            Color goo = Hex(0xA6F25C);
            Bevel gel{2.5f, 1.1f, true, 0.9f, 14, 1};
            Rng rng(0xC47C4);
            for (float x = b.Left + 6; x < b.Right - 5; x += 7) {
                float r = rng.Range(1.8f, 2.8f), ox = rng.Range(-1.5f, 1.5f);
                DrawBevelled(
                    layer, 0, 0, layer.Width, layer.Height,
                    [=](float px, float py) { return SdCircle(px, py, x + ox, 3.6f, r); },
                    [=](float, float) { return goo; }, gel, Darken(goo, 0.7f), 0.7f);
            }
            for (float x : {cx - 22, cx - 5, cx + 14, cx + 31}) {
                float len = x == cx - 5 ? 2.6f : 1.8f;
                DrawBevelled(
                    layer, 0, 0, layer.Width, layer.Height,
                    [=](float px, float py) { return SdEllipse(px, py, x, 15.2f + len / 2, 1.6f, len); },
                    [=](float, float) { return goo; }, gel, Darken(goo, 0.7f), 0.6f);
            }
            break;
        }
    }
}

constexpr int Bayer4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// Takes away `level` (0 whole, 1 gone) of the paddle's pixels in a sparkle
// pattern, the rest glowing brighter as they go.
Image Dissolve(const Image& still, float level, uint32_t seed) {
    if (level <= 0) return still;
    Image out(still.Width, still.Height);
    for (int y = 0; y < still.Height; ++y) {
        for (int x = 0; x < still.Width; ++x) {
            Rgb8 p = still.At(x, y);
            if (p == Rgb8{}) continue;
            float t = (Bayer4[y & 3][x & 3] + 0.5f) / 16 * 0.6f + Hash2(x, y, seed) * 0.4f;
            if (t < level) continue;
            Color c = Mix(Color{float(p.R), float(p.G), float(p.B)}, palette::Energy, level * 0.75f);
            out.At(x, y) = Visible(c);
        }
    }
    return out;
}

}  // namespace

Image DrawPaddle(int row, int frame) {
    static constexpr Kind kinds[] = {Kind::Normal, Kind::Laser, Kind::Catch, Kind::Wide, Kind::Narrow};
    Kind kind = kinds[row - 1];
    Layer layer(sheets::PaddleImage.W, sheets::PaddleImage.H);
    DrawStill(layer, kind);
    Image still = FlattenKeyed(layer);
    // Which frame is whole: row 1 dissolves from frame 0 upward; the other
    // rows form towards their still frame (4, or 5 for the wide paddle,
    // and the narrow paddle's spare frame 5 is whole too).
    float level = 0;
    switch (row) {
        case 1: level = frame / 6.f; break;
        case 4: level = (5 - frame) / 6.f; break;
        default: level = frame >= 4 ? 0 : (4 - frame) / 5.f; break;
    }
    return Dissolve(still, level, uint32_t(row * 31 + frame));
}

}  // namespace assetgen
