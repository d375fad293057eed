// BELEMNTS.DAT: the walls, the round banner, the number glyphs and the
// game-over picture.
#include <string>

#include "art.h"
#include "gfx/sheet_map.h"
#include "lettering.h"
#include "palette.h"
#include "shapes.h"

namespace assetgen {

Image DrawBanner() {
    const sheets::Rect r = sheets::RoundBanner;
    Layer layer(r.W, r.H);
    float cx = r.W / 2.f, cy = r.H / 2.f;
    Bevel rim{3, 1.5f, true, 0.6f, 20, 1};
    DrawBevelled(
        layer, 0, 0, r.W, r.H, [=](float x, float y) { return SdRoundRect(x, y, cx, cy, cx - 1, cy - 1, 10); },
        [](float, float y) { return Mix(Hex(0xD8E0EE), Hex(0x68748E), y / 34); }, rim, palette::Ink, 1);
    Bevel plate{2, -1.2f, false, 0, 1, 1};
    DrawBevelled(
        layer, 0, 0, r.W, r.H, [=](float x, float y) { return SdRoundRect(x, y, cx, cy, cx - 5, cy - 5, 7); },
        [](float, float y) { return Mix(Hex(0x1A2A6A), Hex(0x0E1434), y / 34); }, plate, palette::Ink, 0);
    // Chevrons either side of the word.
    for (float side : {-1.f, 1.f}) {
        for (int i = 0; i < 2; ++i) {
            float tip = cx + side * (78 + i * 9);
            FillShape(
                layer, 0, 0, r.W, r.H,
                [=](float x, float y) {
                    float a = SdSegment(x, y, tip - side * 5, cy - 6, tip, cy);
                    float b = SdSegment(x, y, tip, cy, tip - side * 5, cy + 6);
                    return std::min(a, b) - 1.3f;
                },
                i == 0 ? Hex(0x7FE8FF) : Hex(0x3F8CC8));
        }
    }
    TextStyle style{3.3f, 2.0f, 1.8f, 0, 1.2f};
    DrawLetteringCentred(layer, "ROUND", cx, cy - 3 * style.Scale, style, GoldLetters());
    return FlattenKeyed(layer);
}

Image DrawGlyph(int digit, int width) {
    Layer layer(width, 34);
    TextStyle style{4.2f, 2.2f, 0, 0, 1.15f};
    // A glyph squeezed into a narrow slot keeps its height and loses width.
    float full = 4 * style.Scale * style.WidthScale + 2 * style.Weight + 3.2f;
    if (full > width) {
        style.Weight = 1.6f;
        style.WidthScale = std::max(0.05f, (width - 2 * style.Weight - 3.2f) / (4 * style.Scale));
    }
    std::string text(1, char('0' + digit));
    DrawLetteringCentred(layer, text, width / 2.f, 17 - 3 * style.Scale, style, GoldLetters());
    return FlattenKeyed(layer);
}

Image DrawBElementsSheet(const Image& walls) {
    Image sheet = walls;
    Paste(sheet, DrawBanner(), sheets::RoundBanner.X, sheets::RoundBanner.Y);
    constexpr sheets::Rect wall = sheets::LeftWall;
    for (int slot = 0; slot < sheets::GlyphSlots.Count; ++slot) {
        sheets::Rect r = sheets::GlyphSlots.Frame(slot);
        // Slot 0 lies across the left wall, which keeps its pixels; the
        // digit fits in what is left of the slot to the wall's right.
        int freeLeft = 0;
        if (r.X < wall.X + wall.W && r.X + r.W > wall.X) {
            freeLeft = wall.X + wall.W - r.X;
        }
        Paste(sheet, DrawGlyph(slot % 10, r.W - freeLeft), r.X + freeLeft, r.Y, true, true);
    }
    Paste(sheet, DrawGameOver(), sheets::GameOverPicture.X, sheets::GameOverPicture.Y);
    return sheet;
}

}  // namespace assetgen
