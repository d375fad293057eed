// Bevelled lettering in the game's face: gold for the round banner and
// digits, chrome for the title, red for the game-over picture.
#pragma once

#include <string_view>

#include "font.h"
#include "image.h"

namespace assetgen {

struct LetterPaint {
    Color Top, Bottom;  // face gradient over the letters' height
    Color Outline;
    float OutlineWidth = 1.5f;
    float BevelWidth = 2;
    float Specular = 0.5f;
};

// Draws `text` with its capitals' top left at (x, y).
void DrawLettering(Layer& layer, std::string_view text, float x, float y, const TextStyle& style,
                   const LetterPaint& paint);
// Centres `text` horizontally on cx.
void DrawLetteringCentred(Layer& layer, std::string_view text, float cx, float y, const TextStyle& style,
                          const LetterPaint& paint);

LetterPaint GoldLetters();

// Light around lettering, fading over `radius` pixels (AddGlow): only the
// ink's box widened by the radius is visited, where all the glow falls.
void AddTextGlow(Layer& layer, const TextShape& shape, Color c, float radius, float strength);

}  // namespace assetgen
