// The program's icon: the title's orb with the name's first letter on it.
// Each size is drawn afresh rather than scaled down, so that the small ones
// keep sharp edges.
#include "art.h"
#include "shapes.h"

namespace assetgen {

Layer DrawIcon(int size) {
    Layer layer(size, size);
    const float half = size / 2.f;
    // The orb's glow reaches the square's edges and no further.
    const float scale = half / (TitleOrbRadius + 50);
    DrawOrb(layer, half, half, scale, size);
    // Alone on the orb the letter can stand larger than in the name.
    const TextStyle style = TitleLetters(scale * 1.5f);
    const float x = half - TextWidth("Q", style) / 2, y = half - 3 * style.Scale;
    AddGlow(layer, 0, 0, size, size, TextShape(LayoutText("Q", x, y, style), style.Weight), Hex(0x60D0FF), 26 * scale,
            0.45f);
    DrawLettering(layer, "Q", x, y, style, TitleGold(scale * 1.5f));
    return layer;
}

}  // namespace assetgen
