// The pictures: each function draws one family of art.
#pragma once

#include "image.h"
#include "lettering.h"

namespace assetgen {

// Sprites of ELEMENTS.DAT, each the size of its rectangle, keyed on black.
Image DrawBrick(int kind);
Image DrawPaddle(int row, int frame);
Image DrawCapsule(int column, bool lowerBlock, int frame);
Image DrawBall();
Image DrawLaserShot();
Image DrawExplosion(int frame);
Image DrawGate(int frame, const Image& walls);

// Pieces of BELEMNTS.DAT.
Image DrawWalls();  // the whole sheet size, walls at their screen places
Image DrawBanner();
Image DrawGlyph(int digit, int width);  // 34 rows tall, `width` wide
Image DrawGameOver();

// Whole files.
Image DrawElementsSheet(const Image& walls);  // walls: DrawWalls()
Image DrawBElementsSheet(const Image& walls);
Image DrawTitle();
Image DrawClouds();
Image DrawShipsSheet(const Image& clouds);
Image DrawBackdrop(int index);  // 0 to 10

// The title's orb: its centre and radius on the title picture, drawn with
// its glow at `scale` times that size centred on (cx, cy); the glass stops
// at row `clipBottom`. The name's lettering and paint at `scale` too.
inline constexpr float TitleOrbX = 400, TitleOrbY = 236, TitleOrbRadius = 160;
void DrawOrb(Layer& layer, float cx, float cy, float scale, int clipBottom);
TextStyle TitleLetters(float scale);
LetterPaint TitleGold(float scale);

// The program's icon, `size` pixels square, on a transparent ground.
Layer DrawIcon(int size);
Layer DrawMaskableIcon(int size);

// The plain sky colour of the intro at screen row y, without clouds.
Color SkyAt(float y);

}  // namespace assetgen
