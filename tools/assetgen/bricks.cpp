// Bricks: seven bright one-hit colours, the armoured steel brick and the
// gold multi-hit brick.
#include <cmath>

#include "art.h"
#include "gfx/sheet_map.h"
#include "noise.h"
#include "palette.h"
#include "shapes.h"

namespace assetgen {
namespace {

constexpr float W = sheets::BrickPictures.First.W, H = sheets::BrickPictures.First.H;
constexpr float Cx = W / 2, Cy = H / 2;

auto BrickSdf(float inset, float radius) {
    return [=](float x, float y) { return SdRoundRect(x, y, Cx, Cy, Cx - inset, Cy - inset, radius); };
}

void Rivet(Layer& layer, float cx, float cy, float r) {
    Bevel b{r, 1.6f, true, 0.8f, 18, 1.2f};
    DrawBevelled(
        layer, 0, 0, layer.Width, layer.Height, [=](float x, float y) { return SdCircle(x, y, cx, cy, r); },
        [](float, float) { return Hex(0xB8C2D2); }, b, Hex(0x262C38), 0.7f);
}

void OneHit(Layer& layer, Color c) {
    Bevel bevel{3.2f, 1.5f, false, 0.35f, 30, 1};
    auto base = [c](float, float y) {
        Color face = Mix(Lighten(c, 0.18f), Darken(c, 0.22f), y / H);
        // A glassy band across the upper half.
        float band = Smooth(3, 5, y) * (1 - Smooth(8, 11, y));
        return Lighten(face, 0.22f * band);
    };
    DrawBevelled(layer, 0, 0, layer.Width, layer.Height, BrickSdf(1, 2.5f), base, bevel, Darken(c, 0.72f), 1);
    // A small glint in the top-left corner.
    FillShape(
        layer, 0, 0, 12, 8, [](float x, float y) { return SdSegment(x, y, 5, 4, 9, 4) - 0.7f; }, Lighten(c, 0.8f));
}

void Armoured(Layer& layer) {
    using namespace palette;
    Bevel outer{3.5f, 1.8f, false, 0.3f, 30, 1.1f};
    auto brushed = [](float x, float y) {
        float streak = Fbm(x * 0.08f, y * 1.3f, 71, 3);
        return Mix(Hex(0xA9B4C6), Hex(0x6B778C), y / H * 0.7f + streak * 0.3f);
    };
    DrawBevelled(layer, 0, 0, layer.Width, layer.Height, BrickSdf(1, 2), brushed, outer, Hex(0x1C2230), 1);
    // A recessed centre plate: a bevel lit the other way reads as sunk in.
    Bevel sunk{2, -1.4f, false, 0, 1, 1};
    DrawBevelled(
        layer, 0, 0, layer.Width, layer.Height,
        [](float x, float y) { return SdRoundRect(x, y, Cx, Cy, 13.5f, 4.5f, 1.5f); },
        [](float x, float y) {
            float streak = Fbm(x * 0.1f, y * 1.5f, 72, 3);
            return Mix(Hex(0x5F6B80), Hex(0x828EA4), streak);
        },
        sunk, Hex(0x2A3040), 0);
    for (float rx : {5.5f, W - 5.5f}) {
        for (float ry : {5.5f, H - 5.5f}) Rivet(layer, rx, ry, 2.1f);
    }
}

void MultiHit(Layer& layer) {
    using namespace palette;
    Bevel outer{3.5f, 1.6f, false, 0.4f, 26, 1.1f};
    auto base = [](float, float y) { return Mix(Hex(0xFFD35A), Hex(0xB8741E), y / H); };
    DrawBevelled(layer, 0, 0, layer.Width, layer.Height, BrickSdf(1, 2.5f), base, outer, Hex(0x3A2208), 1);
    // A raised inner slab with a second bevel: thicker than a one-hit brick.
    Bevel inner{2.2f, 1.5f, false, 0.5f, 26, 1};
    DrawBevelled(
        layer, 0, 0, layer.Width, layer.Height,
        [](float x, float y) { return SdRoundRect(x, y, Cx, Cy, 15.5f, 5.5f, 2); },
        [](float, float y) { return Mix(Hex(0xF6C04A), Hex(0xC98426), y / H); }, inner, Hex(0x6A4010), 1);
    // Three studs across the slab.
    for (float sx : {Cx - 9, Cx, Cx + 9}) {
        Bevel stud{2.4f, 1.4f, true, 0.9f, 20, 1};
        DrawBevelled(
            layer, 0, 0, layer.Width, layer.Height, [=](float x, float y) { return SdCircle(x, y, sx, Cy, 2.4f); },
            [](float, float) { return Hex(0xFFE08A); }, stud, Hex(0x5A3408), 0.6f);
    }
}

}  // namespace

Image DrawBrick(int kind) {
    Layer layer(sheets::BrickPictures.First.W, sheets::BrickPictures.First.H);
    if (kind < 7)
        OneHit(layer, palette::BrickColors[kind]);
    else if (kind == 7)
        Armoured(layer);
    else
        MultiHit(layer);
    return FlattenKeyed(layer);
}

}  // namespace assetgen
