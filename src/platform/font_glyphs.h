// The built-in 8 x 16 text font used by DrawText.
#pragma once

#include <cstdint>

namespace plat::font {

// Glyph g draws character FirstGlyph + g, space through '~'.
constexpr int FirstGlyph = 32;
constexpr int GlyphCount = 95;

// Sixteen rows per glyph, top first; the most significant bit of a row is
// its leftmost pixel. Capitals stand on row 12, descenders reach row 15 and
// the rightmost column stays blank so neighbouring glyphs never touch.
extern const uint8_t Glyphs[GlyphCount][16];

}  // namespace plat::font
