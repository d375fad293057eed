// Capsules: glossy pills in five colours whose letter rolls round the
// cylinder as they fall.
#include <cmath>
#include <numbers>
#include <string>

#include "art.h"
#include "font.h"
#include "gfx/sheet_map.h"
#include "palette.h"
#include "play/kinds.h"
#include "shapes.h"

namespace assetgen {
namespace {

// The symbol of the kind that wears this place on the sheet; a block no kind
// wears (the lower one of the points' column) repeats its column's upper one.
char SymbolAt(int column, bool lowerBlock) {
    for (const CapsuleKindFacts& kind : CapsuleKinds)
        if (kind.SheetColumn == column && kind.LowerBlock == lowerBlock) return kind.Symbol;
    return lowerBlock ? SymbolAt(column, false) : ' ';
}

constexpr float Cx = 23.5f, Cy = 9.5f, HalfW = 22, Radius = 8.5f;
constexpr float Pi = std::numbers::pi_v<float>;

float Wrap(float a) {
    while (a > Pi) a -= 2 * Pi;
    while (a < -Pi) a += 2 * Pi;
    return a;
}

}  // namespace

Image DrawCapsule(int column, bool lowerBlock, int frame) {
    const sheets::Rect r = sheets::CapsuleFrame(column, lowerBlock, frame);
    Layer layer(r.W, r.H);
    const Color body = palette::CapsuleColors[column];
    const char symbol = SymbolAt(column, lowerBlock);
    const bool gold = symbol == '*';
    TextStyle style{1.75f, 1.15f, 1.6f, 0, symbol == '@' || symbol == '*' ? 1.2f : 1.f};
    float glyphW = 4 * style.Scale * style.WidthScale;
    TextShape glyph(LayoutText(std::string(1, symbol), Cx - glyphW / 2, Cy - 3 * style.Scale, style), style.Weight);

    // Frame 0 rests with the letter in front; 1 to 12 turn it once round.
    const float turn = 2 * Pi * float(frame) / 12;
    auto base = [&](float x, float y) {
        float s = std::clamp((y - Cy) / Radius, -1.f, 1.f);
        float phi = std::asin(s);
        // The letter on the front; the back carries a pair of rings, so
        // every frame of the turn looks different.
        float v = Wrap(phi - turn);
        float d = 9;
        if (std::fabs(v) <= Pi / 2) {
            d = glyph(x, Cy + v * Radius * 0.95f);
        } else {
            float back = std::fabs(Wrap(v + Pi)) * Radius;
            if (std::fabs(x - Cx) < HalfW - 9) d = std::fabs(back - 2.2f) - 0.8f;
        }
        // Metal bands near the ends.
        float end = std::fabs(x - Cx);
        Color c = body;
        if (end > HalfW - 7)
            c = Mix(Hex(0xC8D0DC), Hex(0x8E98AA), 0.3f);
        else if (end > HalfW - 8.2f)
            c = Darken(body, 0.6f);
        if (d < 0) return gold ? Hex(0xFFE066) : Hex(0xFFFFFF);
        if (d < 1.1f && end < HalfW - 8.2f) return Darken(body, 0.75f);
        return c;
    };
    Bevel bevel{Radius, 0.85f, true, 0.7f, 20, 1};
    DrawBevelled(
        layer, 0, 0, r.W, r.H, [](float x, float y) { return SdRoundRect(x, y, Cx, Cy, HalfW, Radius, Radius); }, base,
        bevel, palette::Ink, 1);
    return FlattenKeyed(layer);
}

}  // namespace assetgen
