// Text in the built-in bitmap font.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/backend.h"
#include "platform/font_glyphs.h"
#include "platform/platform.h"

namespace plat {

void DrawText(Surface* dst, int32_t x, int32_t y, const char* text, int length, uint16_t word) {
    if (dst == nullptr || dst->Locked || text == nullptr || length <= 0) return;
    const int64_t pitch = dst->PitchWords;
    const bool rowsInside = y >= 0 && int64_t{y} + GlyphHeight <= dst->Height;
    int64_t penX = x;
    bool drew = false;
    for (int i = 0; i < length; ++i, penX += GlyphWidth) {
        if (penX >= dst->Width) break;
        const int code = static_cast<unsigned char>(text[i]);
        if (code < font::FirstGlyph || code >= font::FirstGlyph + font::GlyphCount) continue;
        const uint8_t* rows = font::Glyphs[code - font::FirstGlyph];
        if (rowsInside && penX >= 0 && penX + GlyphWidth <= dst->Width) {
            // The whole cell fits: no test per pixel.
            uint16_t* out = dst->Words.data() + y * pitch + penX;
#if defined(__SSE2__)
            // One row of eight pixels at a time: each bit of the row picks its word.
            const __m128i pixelBits = _mm_set_epi16(1, 2, 4, 8, 16, 32, 64, 128);
            const __m128i ink = _mm_set1_epi16(static_cast<short>(word));
            for (int gy = 0; gy < GlyphHeight; ++gy, out += pitch) {
                if (rows[gy] == 0) continue;
                const __m128i bits = _mm_and_si128(_mm_set1_epi16(rows[gy]), pixelBits);
                const __m128i mask = _mm_cmpeq_epi16(bits, pixelBits);
                auto* cell = reinterpret_cast<__m128i*>(out);
                const __m128i old = _mm_loadu_si128(cell);
                _mm_storeu_si128(cell, _mm_or_si128(_mm_and_si128(mask, ink), _mm_andnot_si128(mask, old)));
            }
#else
            for (int gy = 0; gy < GlyphHeight; ++gy, out += pitch)
                for (uint8_t bits = rows[gy], gx = 0; bits != 0; bits = static_cast<uint8_t>(bits << 1), ++gx)
                    if (bits & 0x80) out[gx] = word;
#endif
            drew = true;
            continue;
        }
        for (int gy = 0; gy < GlyphHeight; ++gy) {
            const int64_t py = int64_t{y} + gy;
            if (py < 0 || py >= dst->Height || rows[gy] == 0) continue;
            uint16_t* line = dst->Words.data() + py * pitch;
            for (int gx = 0; gx < GlyphWidth; ++gx) {
                const int64_t px = penX + gx;
                if (px < 0 || px >= dst->Width || !(rows[gy] & (0x80 >> gx))) continue;
                line[px] = word;
                drew = true;
            }
        }
    }
    if (drew && dst->IsPrimary) backend::ShowArea(*dst, Rect{0, 0, dst->Width, dst->Height});
}

}  // namespace plat
