// SHIPS1.DAT, the intro: the mothership, three captions, the pilot's craft
// near and far, the briefing panel opening, and the launch ring above the
// ship. Opaque pieces that the intro draws over the sky are composed over
// the very sky (and ship) they cover, so that no box shows round them.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "art.h"
#include "exact_math.h"
#include "font.h"
#include "gfx/screen_map.h"
#include "gfx/sheet_map.h"
#include "lettering.h"
#include "palette.h"
#include "rng.h"
#include "shapes.h"

namespace assetgen {
namespace {

constexpr float Pi = std::numbers::pi_v<float>;

// The ship leaves this corner of its picture empty: the far craft later
// flies through it and is erased with plain sky.
Image DrawShip() {
    const int w = sheets::Ship.W, h = sheets::Ship.H;
    Layer layer(w, h);
    const Color ink = Hex(0x0E1220);
    auto steel = [](float, float y) { return Mix(Hex(0xC6D0DE), Hex(0x46506A), Clamp01((y - 40) / 240)); };
    auto seams = [&](float x, float y) {
        Color c = steel(x, y);
        float lx = std::fmod(x, 37.f), ly = std::fmod(y + 7, 24.f);
        if (lx < 1 || ly < 1) c = Darken(c, 0.3f);
        return c;
    };
    Bevel hull{12, 0.9f, true, 0.35f, 16, 1};
    Bevel plate{5, 1.3f, false, 0.3f, 16, 1};
    // Each part visits only the pixels around it: a stroke within its half
    // length and width of its middle, a rounded box within its half
    // diagonal, the ellipse (whose function is not a true distance) within
    // the sum of its radii, room to spare.
    auto part = [&](float cx, float cy, float radius, auto sdf, auto base, const Bevel& b) {
        const Area a = Around(cx, cy, radius, 1.5f);
        DrawBevelled(layer, a.X0, a.Y0, a.X1, a.Y1, sdf, base, b, ink, 1.5f);
    };
    auto stroke = [&](float ax, float ay, float bx, float by, float width, auto base, const Bevel& b) {
        part((ax + bx) / 2, (ay + by) / 2, Hypot(bx - ax, by - ay) / 2 + width,
             [=](float x, float y) { return SdSegment(x, y, ax, ay, bx, by) - width; }, base, b);
    };
    auto box = [&](float cx, float cy, float halfW, float halfH, float round, auto base, const Bevel& b) {
        part(
            cx, cy, Hypot(halfW, halfH),
            [=](float x, float y) { return SdRoundRect(x, y, cx, cy, halfW, halfH, round); }, base, b);
    };
    // Fins, engine block, belly, hull, nose, deck and bridge, back to front.
    stroke(74, 118, 128, 66, 8, steel, plate);
    stroke(92, 226, 146, 282, 8, steel, plate);
    box(50, 168, 46, 58, 16, seams, hull);
    box(248, 238, 150, 26, 22, seams, hull);
    box(250, 178, 214, 52, 34, seams, hull);
    part(
        438, 182, 56 + 36, [](float x, float y) { return SdEllipse(x, y, 438, 182, 56, 36); }, steel, hull);
    box(252, 110, 182, 22, 12, seams, plate);
    box(396, 68, 40, 30, 10, steel, plate);
    stroke(420, 38, 420, 6, 1.6f, steel, plate);
    FillShape(
        layer, 410, 0, 430, 14, [](float x, float y) { return SdCircle(x, y, 420, 6, 3); }, Hex(0xFF4A3A));
    // The bridge windows.
    box(
        404, 60, 26, 6, 3, [](float x, float) { return Mix(Hex(0x9AF0FF), Hex(0x2A8AC8), (x - 378) / 52); },
        Bevel{3, -1, false, 0.6f, 12, 1});
    // A red stripe and rows of lit windows along the hull.
    FillShape(
        layer, 40, 196, 470, 212, [](float x, float y) { return SdRoundRect(x, y, 262, 204, 190, 3, 3); },
        Hex(0xD8302A));
    Rng rng(0x5819);
    for (float row : {160.f, 180.f, 226.f}) {
        for (float x = 110; x < 400; x += 11) {
            if (row == 226 && (x < 130 || x > 360)) continue;
            bool lit = rng.Unit() < 0.75f;
            Color c = lit ? (rng.Unit() < 0.7f ? Hex(0xFFE08A) : Hex(0x8AE8FF)) : Hex(0x2A3248);
            FillShape(
                layer, int(x) - 4, int(row) - 4, int(x) + 5, int(row) + 5,
                [=](float px, float py) { return SdRoundRect(px, py, x, row, 2.5f, 1.8f, 1); }, c);
        }
    }
    // The emblem: the orb in gold.
    Bevel orb{9, 1.1f, true, 0.7f, 16, 1};
    const Area emblem = Around(300, 186, 9, 1.5f);
    DrawBevelled(
        layer, emblem.X0, emblem.Y0, emblem.X1, emblem.Y1, [](float x, float y) { return SdCircle(x, y, 300, 186, 9); },
        [](float, float) { return palette::Gold; }, orb, ink, 1.5f);
    // Engine nozzles with their flames.
    for (float ny : {132.f, 168.f, 204.f}) {
        AddGlow(
            layer, 0, 0, 40, h, [=](float x, float y) { return SdEllipse(x, y, 4, ny, 8, 9); }, Hex(0x6AD8FF), 8, 0.8f);
        FillShape(
            layer, 0, 0, 30, h, [=](float x, float y) { return SdEllipse(x, y, 6, ny, 5, 7); }, Hex(0xF0FCFF));
    }
    return FlattenKeyed(layer);
}

Image DrawCaption(int index, const Image& clouds) {
    (void)clouds;
    const sheets::Rect r = sheets::Captions[index];
    Layer layer(r.W, r.H);
    float cx = r.W / 2.f, cy = r.H / 2.f;
    layer.Fill(Hex(0x0A0C1C));
    Bevel rim{4, 1.4f, true, 0.5f, 18, 1};
    DrawBevelled(
        layer, 0, 0, r.W, r.H,
        [=](float x, float y) {
            float outer = SdRoundRect(x, y, cx, cy, cx - 1, cy - 1, 12);
            float inner = SdRoundRect(x, y, cx, cy, cx - 7, cy - 7, 8);
            return std::max(outer, -inner);
        },
        [=](float, float y) { return Mix(Hex(0xC8D2E2), Hex(0x5A6680), y / r.H); }, rim, palette::Ink, 0);
    DrawShape(
        layer, 0, 0, r.W, r.H, [=](float x, float y) { return SdRoundRect(x, y, cx, cy, cx - 7, cy - 7, 8); },
        [=](float, float y, float, float, float) { return Mix(Hex(0x1C2A6A), Hex(0x0C1232), Clamp01(y / r.H)); });
    LetterPaint paint{Hex(0xFFFFFF), Hex(0x7FE0FF), Hex(0x061028), 1.8f, 1.8f, 0.5f};
    static const char* lines[3][2] = {
        {"THE ORB OF QORB IS WALLED IN", ""}, {"ONE PILOT SETS OUT", "TO BREAK THE WALLS"}, {"GOOD LUCK, PILOT!", ""}};
    if (lines[index][1][0] == 0) {
        TextStyle style{5.6f, 2.5f, 1.7f, 0.1f, 1};
        // Long lines shrink to fit inside the frame.
        style.Scale = std::min(style.Scale, (r.W - 48) / (TextWidth(lines[index][0], style) / style.Scale));
        style.Weight = std::min(style.Weight, style.Scale * 0.45f);
        DrawLetteringCentred(layer, lines[index][0], cx, cy - 3 * style.Scale, style, paint);
    } else {
        TextStyle style{4.6f, 2.2f, 1.7f, 0.1f, 1.1f};
        DrawLetteringCentred(layer, lines[index][0], cx, cy - 6 * style.Scale - 6, style, paint);
        DrawLetteringCentred(layer, lines[index][1], cx, cy + 6, style, paint);
    }
    return FlattenOpaque(layer);
}

// The pilot's craft, nose to the lower right where it flies.
Image DrawCraft() {
    Layer layer(sheets::Craft.W, sheets::Craft.H);
    auto rot = [](float x, float y, float& u, float& v) {
        const float a = 0.5f;
        u = (x - 11) * std::cos(a) + (y - 10.5f) * std::sin(a);
        v = -(x - 11) * std::sin(a) + (y - 10.5f) * std::cos(a);
    };
    Bevel b{3, 1.2f, true, 0.6f, 14, 1};
    DrawBevelled(
        layer, 0, 0, 22, 21,
        [&](float x, float y) {
            float u, v;
            rot(x, y, u, v);
            float body = SdEllipse(u, v, 0, 0, 9.5f, 3.6f);
            float wing = SdSegment(u, v, -6, 0, -2, 7) - 1.6f;
            float wing2 = SdSegment(u, v, -6, 0, -2, -7) - 1.6f;
            return std::min({body, wing, wing2});
        },
        [&](float x, float y) {
            float u, v;
            rot(x, y, u, v);
            if (u > 1 && u < 6 && v < 0.5f) return Hex(0x7FE8FF);
            return std::fabs(v) > 3.2f ? palette::CapRed : Hex(0xEEF2F8);
        },
        b, palette::Ink, 1);
    AddGlow(
        layer, 0, 0, 22, 21,
        [&](float x, float y) {
            float u, v;
            rot(x, y, u, v);
            return SdEllipse(u, v, -10, 0, 2, 2);
        },
        Hex(0x6AD8FF), 2, 0.9f);
    return FlattenKeyed(layer);
}

// The far view: a slim side view, nose to the upper left, over the sky it
// starts in (the intro stretches it smaller as it goes).
Image DrawFarCraft() {
    const sheets::Rect r = sheets::FarCraft;
    Layer layer(r.W, r.H);
    for (int y = 0; y < r.H; ++y) {
        Color sky = SkyAt(320.f + y);
        for (int x = 0; x < r.W; ++x) layer.At(x, y) = {sky.R, sky.G, sky.B, 1};
    }
    AddGlow(
        layer, 0, 0, r.W, r.H, [](float x, float y) { return SdEllipse(x, y, 80, 7, 6, 2); }, Hex(0x8AE8FF), 6, 0.8f);
    Bevel b{3, 1.2f, true, 0.6f, 14, 1};
    DrawBevelled(
        layer, 0, 0, r.W, r.H,
        [](float x, float y) {
            float body = SdEllipse(x, y, 40, 6.5f, 34, 3.6f);
            float fin = SdSegment(x, y, 58, 5, 68, 1) - 1.4f;
            float wing = SdSegment(x, y, 44, 8, 62, 10.5f) - 1.4f;
            return std::min({body, fin, wing});
        },
        [](float x, float y) {
            if (x < 28 && x > 14 && y < 6.5f) return Hex(0x7FE8FF);
            return y > 7.5f ? palette::CapRed : Hex(0xEEF2F8);
        },
        b, palette::Ink, 0.8f);
    return FlattenOpaque(layer);
}

// The briefing screen at `open` (0 shut to 1 open) and `picture` (0 blank
// to 1 shown): it shows the walled orb.
Image DrawPanel(float open, float picture, const Image& clouds) {
    constexpr int w = sheets::PanelRest.W, h = sheets::PanelRest.H;
    static_assert(sheets::PanelFrames.First.W == w && sheets::PanelFrames.First.H == h);
    Layer layer(w, h);
    PasteIntoLayer(layer, Crop(clouds, screen::BriefingPanel.X, screen::BriefingPanel.Y, w, h), 0, 0, false);
    // The craft later flies over the lower right of the frame, which stays sky.
    const float cx = 80, cy = 58, hw = 74;
    const float hh = 4 + 48 * open;
    Bevel bezel{4, 1.4f, true, 0.5f, 16, 1};
    DrawBevelled(
        layer, 0, 0, w, h, [=](float x, float y) { return SdRoundRect(x, y, cx, cy, hw, hh + 4, 8); },
        [](float, float y) { return Mix(Hex(0xC8D2E2), Hex(0x566280), y / h); }, bezel, palette::Ink, 1);
    const float sh = std::max(hh - 3, 0.5f);
    Rng rng(0x9A7E1);
    DrawShape(
        layer, 0, 0, w, h, [=](float x, float y) { return SdRoundRect(x, y, cx, cy, hw - 6, sh, 5); },
        [&](float x, float y, float, float, float) {
            float scan = (int(y) & 1) ? 0.85f : 1.f;
            Color c = Hex(0x06281E);
            float noise = Hash2(int(x), int(y), uint32_t(open * 97 + picture * 13));
            c = Mix(c, Hex(0x3A8A6A), noise * 0.35f * (1 - picture));
            if (picture > 0) {
                float d = Hypot(x - cx, (y - cy) * 1.1f);
                float ring = std::fabs(d - 30);
                Color ink = Hex(0x6AFFB0);
                float k = 0;
                k = std::max(k, Smooth(1.5f, 0.3f, std::fabs(d - 14)));  // the orb
                k = std::max(k, Smooth(14, 0, d) * 0.25f);
                float angle = std::atan2(y - cy, x - cx);
                float brick = std::fabs(std::fmod(angle + 2 * Pi, Pi / 8) - Pi / 16);
                if (ring < 4 && brick < Pi / 20) k = std::max(k, 0.9f);         // the wall round it
                k = std::max(k, Smooth(1.2f, 0.2f, std::fabs(d - 44)) * 0.5f);  // radar range
                float sweep = std::fmod(angle + 2 * Pi - 0.6f, 2 * Pi);
                if (d < 44) k = std::max(k, (1 - sweep / (2 * Pi)) * 0.35f * Smooth(0.7f, 1, 1 - sweep / (2 * Pi)));
                c = Mix(c, ink, k * picture);
            }
            return c * scan;
        });
    return FlattenOpaque(layer);
}

// The launch ring above the ship, over the sky and ship it stands on:
// opening (hatch frames), then flashing and closing (light frames; the
// last is closed, leaving sky and ship alone).
Image DrawRing(float radius, float flash, const Image& clouds, const Image& ship) {
    constexpr int w = sheets::HatchFrames.First.W, h = sheets::HatchFrames.First.H;
    static_assert(sheets::LightFrames.First.W == w && sheets::LightFrames.First.H == h);
    Layer layer(w, h);
    PasteIntoLayer(layer, Crop(clouds, screen::LaunchRing.X, screen::LaunchRing.Y, w, h), 0, 0, false);
    PasteIntoLayer(
        layer, Crop(ship, screen::LaunchRing.X - screen::ShipRest.X, screen::LaunchRing.Y - screen::ShipRest.Y, w, h),
        0, 0, true);
    if (radius > 0) {
        const float cx = 30, cy = 20;
        auto ring = [=](float x, float y) { return std::fabs(SdEllipse(x, y, cx, cy, radius, radius * 0.8f)) - 2.2f; };
        AddGlow(
            layer, 0, 0, w, h, [=](float x, float y) { return SdEllipse(x, y, cx, cy, radius, radius * 0.8f); },
            Mix(Hex(0x5A3AD8), Hex(0xFFFFFF), flash), 6, 0.5f + 0.5f * flash);
        DrawShape(layer, 0, 0, w, h, ring, [=](float x, float y, float inside, float, float) {
            float a = std::atan2(y - cy, x - cx);
            float band = 0.5f + 0.5f * std::sin(a * 6 + radius);
            Color c = Mix(Hex(0x7FE8FF), Hex(0xD08AFF), band);
            return Lighten(c, Clamp01(inside * 0.3f + flash * 0.6f));
        });
    }
    return FlattenOpaque(layer);
}

}  // namespace

Image DrawShipsSheet(const Image& clouds) {
    Image sheet(sheets::ShipsSurfaceWidth, sheets::SurfaceHeight);
    const Image ship = DrawShip();
    Paste(sheet, ship, sheets::Ship.X, sheets::Ship.Y);
    for (int i = 0; i < 3; ++i) Paste(sheet, DrawCaption(i, clouds), sheets::Captions[i].X, sheets::Captions[i].Y);
    Paste(sheet, DrawCraft(), sheets::Craft.X, sheets::Craft.Y);
    Paste(sheet, DrawFarCraft(), sheets::FarCraft.X, sheets::FarCraft.Y);
    for (int i = 0; i < sheets::PanelFrames.Count; ++i) {
        float open = std::min(1.f, (i + 1) / 8.f), picture = std::max(0.f, (i - 7) / 4.f);
        sheets::Rect r = sheets::PanelFrames.Frame(i);
        Paste(sheet, DrawPanel(open, picture, clouds), r.X, r.Y);
    }
    Paste(sheet, DrawPanel(1, 1, clouds), sheets::PanelRest.X, sheets::PanelRest.Y);
    for (int m = 0; m < sheets::HatchFrames.Count; ++m) {
        sheets::Rect r = sheets::HatchFrames.Frame(m);
        Paste(sheet, DrawRing(3 + 3 * m, 0, clouds, ship), r.X, r.Y);
    }
    for (int i = 0; i < sheets::LightFrames.Count; ++i) {
        sheets::Rect r = sheets::LightFrames.Frame(i);
        float radius = i == sheets::LightFrames.Count - 1 ? 0 : 18 - 3.5f * i;
        float flash = i == 0 ? 1 : (i % 2 ? 0.3f : 0.8f);
        Paste(sheet, DrawRing(radius, flash, clouds, ship), r.X, r.Y);
    }
    return sheet;
}

}  // namespace assetgen
