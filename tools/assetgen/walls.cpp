// The metal frame of the playfield: two side rails and a top rail, with
// collars at every other brick column or row and capped corners.
#include <cmath>

#include "art.h"
#include "gfx/sheet_map.h"
#include "palette.h"
#include "shapes.h"

namespace assetgen {
namespace {

Color RailColor(float along, float pitch, float offset) {
    // Collars: a brighter band with a dark seam either side.
    float m = std::fmod(along - offset + pitch * 100, pitch);
    float d = std::min(m, pitch - m);
    if (d < 1) return Hex(0x2A3040);
    if (d < 5) return Hex(0xA8B4C8);
    return Mix(Hex(0x6E7C96), Hex(0x5C6882), 0.5f + 0.5f * std::sin(along * 0.05f));
}

// Draws the whole frame onto `layer`, which holds the part of the sheet
// from (left, top): each part is clipped to it. The shapes and colours get
// the sheet's own coordinates, so every pixel is what it would be on a
// layer of the whole sheet.
void DrawFrame(Layer& layer, int left, int top) {
    const float dx = static_cast<float>(left), dy = static_cast<float>(top);
    const auto onSheet = [=](auto f) { return [=](float x, float y) { return f(x + dx, y + dy); }; };
    const auto bevelled = [&](int x0, int y0, int x1, int y1, auto sdf, auto base, const Bevel& bevel, float outline) {
        DrawBevelled(layer, x0 - left, y0 - top, x1 - left, y1 - top, onSheet(sdf), onSheet(base), bevel, palette::Ink,
                     outline);
    };
    Bevel rail{8.5f, 0.9f, true, 0.6f, 14, 1};
    // Side rails: 18 wide, from just below the corner caps to the bottom.
    for (sheets::Rect r : {sheets::LeftWall, sheets::RightWall}) {
        float cx = r.X + r.W / 2.f;
        bevelled(
            r.X, r.Y, r.X + r.W, r.Y + r.H,
            [=](float x, float y) { return SdRoundRect(x, y, cx, r.Y + r.H / 2.f + 9, 8, r.H / 2.f - 10, 4); },
            [=](float, float y) { return RailColor(y, 96, 79 + 24 * 2); }, rail, 1);
    }
    // The top rail between the corner caps.
    {
        sheets::Rect r = sheets::TopWall;
        float cy = r.Y + r.H / 2.f;
        bevelled(
            r.X - 4, r.Y, r.X + r.W + 4, r.Y + r.H,
            [=](float x, float y) { return SdRoundRect(x, y, r.X + r.W / 2.f, cy, r.W / 2.f + 3, 8.5f, 4); },
            [=](float x, float) { return RailColor(x, 96, 27 + 48); }, rail, 1);
    }
    // Corner caps: bevelled blocks with a rivet, inside the side rails' tops.
    for (sheets::Rect r : {sheets::LeftWall, sheets::RightWall}) {
        float cx = r.X + r.W / 2.f, cy = r.Y + 9.5f;
        Bevel cap{3.5f, 1.5f, false, 0.4f, 24, 1};
        bevelled(
            r.X, r.Y, r.X + r.W, r.Y + 22, [=](float x, float y) { return SdRoundRect(x, y, cx, cy, 8.5f, 9, 2.5f); },
            [](float, float y) { return Mix(Hex(0xC0CADA), Hex(0x6A7690), (y - 6) / 19); }, cap, 0.5f);
        Bevel rivet{2.5f, 1.5f, true, 0.9f, 16, 1};
        bevelled(
            r.X, r.Y, r.X + r.W, r.Y + 22, [=](float x, float y) { return SdCircle(x, y, cx, cy, 2.8f); },
            [](float, float) { return Hex(0x7FE8FF); }, rivet, 0.7f);
    }
}

}  // namespace

// Nothing outside the three rectangles: the game copies only those, so
// only they are drawn, each on a layer of its own size.
Image DrawWalls() {
    Image out(sheets::SurfaceWidth, sheets::SurfaceHeight);
    for (sheets::Rect r : sheets::Walls) {
        Layer layer(r.W, r.H);
        DrawFrame(layer, r.X, r.Y);
        Paste(out, FlattenKeyed(layer), r.X, r.Y);
    }
    return out;
}

}  // namespace assetgen
