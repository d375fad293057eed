// Rectangle copies, stretches and fills between software surfaces.
//
// A rectangle that does not lie wholly inside its surface is refused as a
// whole: nothing is drawn, not even the part that would fit.
#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/platform.h"

namespace plat {
namespace {

bool Inside(const Surface& surface, const Rect& r) {
    return r.Left >= 0 && r.Top >= 0 && r.Left < r.Right && r.Top < r.Bottom && r.Right <= surface.Width &&
           r.Bottom <= surface.Height;
}

bool Usable(const Surface* surface) { return surface != nullptr && !surface->Locked; }

bool Refuse() {
    ++core::MutableStats().BlitsRefused;
    return false;
}

void Accept(const Surface* dst, const Rect& area) {
    ++core::MutableStats().Blits;
    core::MutableStats().PixelsDrawn +=
        static_cast<uint64_t>(area.Right - area.Left) * static_cast<uint64_t>(area.Bottom - area.Top);
    if (dst->IsPrimary) {
        ++core::MutableStats().PrimaryUpdates;
        backend::ShowArea(*dst, area);
    }
}

uint16_t* RowOf(Surface* s, int32_t x, int32_t y) {
    return s->Words.data() + static_cast<size_t>(y) * static_cast<size_t>(s->PitchWords) + static_cast<size_t>(x);
}

// Copies one row, leaving out source words inside [low, high].
void KeyedRow(uint16_t* dst, const uint16_t* src, int32_t count, uint16_t low, uint16_t high) {
    const uint16_t span = static_cast<uint16_t>(high - low);
#if defined(__SSE2__)
    if (count >= 8) {
        const __m128i vLow = _mm_set1_epi16(static_cast<short>(low));
        const __m128i vSpan = _mm_set1_epi16(static_cast<short>(span));
        const __m128i zero = _mm_setzero_si128();
        auto blend = [&](__m128i s, __m128i d) {
            // A single key word (the game's case) needs one compare; a range
            // uses w - low <= span, unsigned.
            const __m128i key = span == 0 ? _mm_cmpeq_epi16(s, vLow)
                                          : _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(s, vLow), vSpan), zero);
            return _mm_or_si128(_mm_and_si128(key, d), _mm_andnot_si128(key, s));
        };
        auto load = [](const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
        auto store = [](uint16_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); };
        // The last eight words are blended from what the row held before, so
        // the overlapping store repeats the same values and never waits on
        // the stores before it.
        const int32_t last = count - 8;
        const __m128i tail = blend(load(src + last), load(dst + last));
        int32_t i = 0;
        for (; i + 16 <= count; i += 16) {
            store(dst + i, blend(load(src + i), load(dst + i)));
            store(dst + i + 8, blend(load(src + i + 8), load(dst + i + 8)));
        }
        if (i + 8 <= count) store(dst + i, blend(load(src + i), load(dst + i)));
        store(dst + last, tail);
        return;
    }
#endif
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t w = src[i];
        if (static_cast<uint16_t>(w - low) > span) dst[i] = w;
    }
}

bool Overlap(const Rect& a, const Rect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

}  // namespace

bool Blit(Surface* dst, const Rect& d, Surface* src, const Rect& s, BlitMode mode) {
    if (!Usable(dst) || !Usable(src)) return Refuse();
    if (!Inside(*dst, d) || !Inside(*src, s)) return Refuse();
    const int32_t width = d.Right - d.Left;
    const int32_t height = d.Bottom - d.Top;
    if (width != s.Right - s.Left || height != s.Bottom - s.Top) return Refuse();
    if (mode == BlitMode::Keyed && !src->HasColorKey) return Refuse();

    // A copy within one surface whose rectangles overlap reads a snapshot.
    std::vector<uint16_t> snapshot;
    const uint16_t* from = nullptr;
    size_t fromPitch = 0;
    if (dst == src && Overlap(d, s)) {
        snapshot.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(snapshot.data() + static_cast<size_t>(y) * width, RowOf(src, s.Left, s.Top + y),
                        static_cast<size_t>(width) * 2);
        from = snapshot.data();
        fromPitch = static_cast<size_t>(width);
    } else {
        from = RowOf(src, s.Left, s.Top);
        fromPitch = static_cast<size_t>(src->PitchWords);
    }

    for (int32_t y = 0; y < height; ++y) {
        uint16_t* out = RowOf(dst, d.Left, d.Top + y);
        const uint16_t* in = from + static_cast<size_t>(y) * fromPitch;
        if (mode == BlitMode::Opaque)
            std::memcpy(out, in, static_cast<size_t>(width) * 2);
        else
            KeyedRow(out, in, width, src->KeyLow, src->KeyHigh);
    }
    Accept(dst, d);
    return true;
}

bool BlitStretch(Surface* dst, const Rect& d, Surface* src, const Rect& s) {
    if (!Usable(dst) || !Usable(src)) return Refuse();
    if (!Inside(*dst, d) || !Inside(*src, s)) return Refuse();
    const int64_t dw = d.Right - d.Left, dh = d.Bottom - d.Top;
    const int64_t sw = s.Right - s.Left, sh = s.Bottom - s.Top;
    if (dst == src) {
        Surface snapshot = *src;
        return BlitStretch(dst, d, &snapshot, s);
    }
    if (dw == sw && dh == sh) return Blit(dst, d, src, s, BlitMode::Opaque);

    // Each destination pixel takes the source pixel under its centre.
    std::vector<int32_t> column(static_cast<size_t>(dw));
    for (int64_t x = 0; x < dw; ++x) column[x] = s.Left + static_cast<int32_t>(((2 * x + 1) * sw) / (2 * dw));
    int32_t lastSourceRow = -1;
    const uint16_t* lastRow = nullptr;
    for (int64_t y = 0; y < dh; ++y) {
        const int32_t sy = s.Top + static_cast<int32_t>(((2 * y + 1) * sh) / (2 * dh));
        uint16_t* out = RowOf(dst, d.Left, d.Top + static_cast<int32_t>(y));
        if (sy == lastSourceRow) {
            // An enlarged row repeats the one above it.
            std::memcpy(out, lastRow, static_cast<size_t>(dw) * 2);
            continue;
        }
        const uint16_t* in = RowOf(src, 0, sy);
        for (int64_t x = 0; x < dw; ++x) out[x] = in[column[x]];
        lastSourceRow = sy;
        lastRow = out;
    }
    Accept(dst, d);
    return true;
}

bool Fill(Surface* dst, const Rect& d, uint16_t word) {
    if (!Usable(dst) || !Inside(*dst, d)) return Refuse();
    for (int32_t y = d.Top; y < d.Bottom; ++y) {
        uint16_t* out = RowOf(dst, d.Left, y);
        std::fill(out, out + (d.Right - d.Left), word);
    }
    Accept(dst, d);
    return true;
}

}  // namespace plat
