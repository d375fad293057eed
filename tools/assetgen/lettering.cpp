#include "lettering.h"

#include <cmath>

#include "palette.h"
#include "shapes.h"

namespace assetgen {

void DrawLettering(Layer& layer, std::string_view text, float x, float y, const TextStyle& style,
                   const LetterPaint& paint) {
    TextShape shape(LayoutText(text, x, y, style), style.Weight);
    int x0 = int(shape.Left - paint.OutlineWidth - 2), x1 = int(shape.Right + paint.OutlineWidth + 3);
    int y0 = int(shape.Top - paint.OutlineWidth - 2), y1 = int(shape.Bottom + paint.OutlineWidth + 3);
    float top = y - style.Weight, height = 6 * style.Scale + 2 * style.Weight;
    Bevel bevel{paint.BevelWidth, 1.2f, true, paint.Specular, 18, 1};
    const auto shade = [&](float, float py, float inside, float nx, float ny) {
        return ShadeBevel(Mix(paint.Top, paint.Bottom, Clamp01((py - top) / height)), inside, nx, ny, bevel);
    };
    // The strokes' distance, so that the space between letters is passed over.
    if (paint.OutlineWidth > 0)
        DrawOutlined(layer, x0, y0, x1, y1, shape, paint.OutlineWidth, paint.Outline, shade, Measure::Distance);
    else
        DrawShape(layer, x0, y0, x1, y1, shape, shade);
}

void DrawLetteringCentred(Layer& layer, std::string_view text, float cx, float y, const TextStyle& style,
                          const LetterPaint& paint) {
    DrawLettering(layer, text, cx - TextWidth(text, style) / 2, y, style, paint);
}

void AddTextGlow(Layer& layer, const TextShape& shape, Color c, float radius, float strength) {
    // A pixel further than the radius from the box lies further from the ink:
    // it gets no glow. Two pixels of margin for rounding.
    const float reach = radius + 2;
    AddGlow(layer, int(std::floor(shape.Left - reach)), int(std::floor(shape.Top - reach)),
            int(std::ceil(shape.Right + reach)), int(std::ceil(shape.Bottom + reach)), shape, c, radius, strength,
            Measure::Distance);
}

LetterPaint GoldLetters() { return {Hex(0xFFF2A0), Hex(0xE08A18), Hex(0x2A1606), 1.6f, 2.2f, 0.6f}; }

}  // namespace assetgen
