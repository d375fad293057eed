// The program's icon: the title's orb with the name's first letter on it.
// Each size is drawn afresh rather than scaled down, so that the small ones
// keep sharp edges.
#include "art.h"
#include "shapes.h"

namespace assetgen {

namespace {

// The orb and its letter in the middle of `layer`, its glow `reach` pixels
// from the middle.
void DrawOrbIcon(Layer& layer, float reach) {
    const int size = layer.Width;
    const float half = size / 2.f;
    const float scale = reach / (TitleOrbRadius + 50);
    DrawOrb(layer, half, half, scale, size);
    // Alone on the orb the letter can stand larger than in the name.
    const TextStyle style = TitleLetters(scale * 1.5f);
    const float x = half - TextWidth("Q", style) / 2, y = half - 3 * style.Scale;
    AddGlow(layer, 0, 0, size, size, TextShape(LayoutText("Q", x, y, style), style.Weight), Hex(0x60D0FF), 26 * scale,
            0.45f);
    DrawLettering(layer, "Q", x, y, style, TitleGold(scale * 1.5f));
}

}  // namespace

Layer DrawIcon(int size) {
    Layer layer(size, size);
    // The orb's glow reaches the square's edges and no further.
    DrawOrbIcon(layer, size / 2.f);
    return layer;
}

// Phones' launchers cut an installed app's icon to a circle, a squircle or a
// rounded square: the whole square is painted, and the orb with its glow
// stands within the middle circle of 80% of the side, which every such shape
// keeps.
Layer DrawMaskableIcon(int size) {
    Layer layer(size, size);
    const Color night = Hex(0x08081A);  // the title's sky below its glow
    for (Layer::Px& p : layer.Pixels) p = {night.R, night.G, night.B, 1};
    DrawOrbIcon(layer, size * 0.4f);
    return layer;
}

}  // namespace assetgen
