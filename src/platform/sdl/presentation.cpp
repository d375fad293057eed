#include "platform/sdl/presentation.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <string>

namespace plat::sdl {

void ConvertRow(const uint16_t* words, uint32_t* pixels, int32_t count, WordLayout layout) {
    // Two loops with the layout fixed, so that each one vectorises.
    if (layout == WordLayout::Rgb565) {
        for (int32_t x = 0; x < count; ++x) pixels[x] = WordToXrgb(words[x], WordLayout::Rgb565);
    } else {
        for (int32_t x = 0; x < count; ++x) pixels[x] = WordToXrgb(words[x], WordLayout::Rgb555);
    }
}

uint64_t NextTickMicros(uint64_t micros) {
    const uint64_t tick = micros * 60 / 1000000 + 1;
    return (tick * 1000000 + 59) / 60;
}

RowSpan ChangedRows(const uint16_t* now, const uint16_t* before, int32_t pitchWords, int32_t width, int32_t height) {
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(uint16_t);
    auto differs = [&](int32_t y) {
        const size_t at = static_cast<size_t>(y) * static_cast<size_t>(pitchWords);
        return std::memcmp(now + at, before + at, rowBytes) != 0;
    };
    RowSpan span;
    int32_t first = 0;
    while (first < height && !differs(first)) ++first;
    if (first == height) return span;
    int32_t last = height - 1;
    while (last > first && !differs(last)) --last;
    span.First = first;
    span.Last = last;
    return span;
}

uint64_t RowHash(const uint16_t* words, int32_t count) {
    // Four lanes, each step a bijection of the lane for the two chunks it
    // takes: a row that differs in one word always hashes otherwise.
    constexpr uint64_t Odd = 0x9E3779B97F4A7C15ull;
    uint64_t a = 1, b = 2, c = 3, d = 4;
    const size_t n = static_cast<size_t>(std::max(count, 0));
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        uint64_t chunk[8];
        std::memcpy(chunk, words + i, sizeof chunk);
        a = (a ^ chunk[0]) * Odd + chunk[4];
        b = (b ^ chunk[1]) * Odd + chunk[5];
        c = (c ^ chunk[2]) * Odd + chunk[6];
        d = (d ^ chunk[3]) * Odd + chunk[7];
    }
    for (; i < n; ++i) a = (a ^ words[i]) * Odd;
    return ((a * Odd + b) * Odd + c) * Odd + d;
}

std::vector<Rect> ChangedAreas(const uint16_t* now, const uint16_t* before, int32_t pitchWords, int32_t width,
                               int32_t height, std::vector<uint64_t>* rowHashes) {
    std::vector<Rect> areas;
    RowSpan rows{0, height - 1};
    const bool hashed = rowHashes != nullptr && rowHashes->size() == static_cast<size_t>(std::max(height, 0));
    if (!hashed) rows = ChangedRows(now, before, pitchWords, width, height);
    if (rows.Empty()) return areas;
    // Rows are looked at in bands, columns in tiles; a band's changed tiles
    // make runs, and a gap of one tile is not worth a rectangle of its own.
    constexpr int32_t Band = 16, Tile = 32;
    const int32_t tiles = (width + Tile - 1) / Tile;
    std::vector<uint8_t> marked(static_cast<size_t>(tiles));
    for (int32_t top = rows.First; top <= rows.Last; top += Band) {
        const int32_t bottom = std::min(top + Band, rows.Last + 1);
        std::fill(marked.begin(), marked.end(), 0);
        int32_t firstRow = -1, lastRow = -1;
        for (int32_t y = top; y < bottom; ++y) {
            const size_t at = static_cast<size_t>(y) * static_cast<size_t>(pitchWords);
            if (hashed) {
                // The page is read once; the words shown before only where it changed.
                uint64_t& known = (*rowHashes)[static_cast<size_t>(y)];
                const uint64_t hash = RowHash(now + at, width);
                if (hash == known) continue;
                known = hash;
            }
            if (std::memcmp(now + at, before + at, static_cast<size_t>(width) * sizeof(uint16_t)) == 0) continue;
            for (int32_t t = 0; t < tiles; ++t) {
                const int32_t x = t * Tile, count = std::min(Tile, width - x);
                if (std::memcmp(now + at + x, before + at + x, static_cast<size_t>(count) * sizeof(uint16_t)) != 0)
                    marked[static_cast<size_t>(t)] = 1;
            }
            if (firstRow < 0) firstRow = y;
            lastRow = y;
        }
        if (firstRow < 0) continue;
        for (int32_t t = 0; t < tiles;) {
            if (marked[static_cast<size_t>(t)] == 0) {
                ++t;
                continue;
            }
            int32_t end = t + 1;  // one past the run's last tile
            while (end < tiles && (marked[static_cast<size_t>(end)] != 0 ||
                                   (end + 1 < tiles && marked[static_cast<size_t>(end + 1)] != 0)))
                ++end;
            const Rect area{t * Tile, firstRow, std::min(width, end * Tile), lastRow + 1};
            // The same columns changing in the band above, right up to this
            // one: one rectangle.
            auto above = std::find_if(areas.begin(), areas.end(), [&](const Rect& r) {
                return r.Left == area.Left && r.Right == area.Right && r.Bottom == area.Top;
            });
            if (above != areas.end())
                above->Bottom = area.Bottom;
            else
                areas.push_back(area);
            t = end;
        }
    }
    return areas;
}

Rect PlacePicture(int32_t width, int32_t height, int32_t outWidth, int32_t outHeight) {
    if (width <= 0 || height <= 0 || outWidth <= 0 || outHeight <= 0) return Rect{};
    int64_t w = outWidth, h = outHeight;
    if (int64_t{outWidth} * height <= int64_t{outHeight} * width)
        h = (int64_t{outWidth} * height + width / 2) / width;
    else
        w = (int64_t{outHeight} * width + height / 2) / height;
    const int32_t left = static_cast<int32_t>((outWidth - w) / 2), top = static_cast<int32_t>((outHeight - h) / 2);
    return Rect{left, top, left + static_cast<int32_t>(w), top + static_cast<int32_t>(h)};
}

std::vector<SharpScaler::Tap> SharpScaler::Taps(int32_t pictureSize, int32_t shownSize) {
    std::vector<Tap> taps(static_cast<size_t>(std::max(shownSize, 0)));
    if (pictureSize <= 0 || shownSize <= 0) return taps;
    // The whole factor, then the picture that large: `large` pixels.
    const int64_t factor = std::max(1, shownSize / pictureSize), large = pictureSize * factor;
    for (int32_t i = 0; i < shownSize; ++i) {
        // The centre of shown pixel i on the enlarged picture, in 256ths,
        // measured from the centre of its first pixel.
        const int64_t at = ((2 * int64_t{i} + 1) * large - shownSize) * 256 / (2 * int64_t{shownSize});
        int64_t pixel = at < 0 ? 0 : at / 256, weight = at < 0 ? 0 : at % 256;
        if (pixel >= large - 1) pixel = large - 1, weight = 0;
        Tap& tap = taps[static_cast<size_t>(i)];
        tap.First = static_cast<int32_t>(pixel / factor);
        // Both enlarged pixels come from the same picture pixel: no blend.
        tap.Weight = (pixel + 1) / factor == pixel / factor ? 0 : static_cast<uint32_t>(weight);
    }
    return taps;
}

std::vector<SharpScaler::Span> SharpScaler::Spans(const std::vector<Tap>& taps, int32_t pictureSize) {
    std::vector<Span> spans(static_cast<size_t>(std::max(pictureSize, 0)), Span{INT32_MAX, -1});
    for (size_t i = 0; i < taps.size(); ++i) {
        for (int32_t p = taps[i].First; p <= taps[i].First + (taps[i].Weight > 0 ? 1 : 0); ++p) {
            if (p < 0 || p >= pictureSize) continue;
            Span& span = spans[static_cast<size_t>(p)];
            span.First = std::min(span.First, static_cast<int32_t>(i));
            span.Last = std::max(span.Last, static_cast<int32_t>(i));
        }
    }
    return spans;
}

bool SharpScaler::Resize(int32_t pictureWidth, int32_t pictureHeight, int32_t shownWidth, int32_t shownHeight) {
    if (pictureWidth == pictureWidth_ && pictureHeight == pictureHeight_ && shownWidth == ShownWidth() &&
        shownHeight == ShownHeight())
        return false;
    pictureWidth_ = pictureWidth;
    pictureHeight_ = pictureHeight;
    columns_ = Taps(pictureWidth, shownWidth);
    rows_ = Taps(pictureHeight, shownHeight);
    columnReach_ = Spans(columns_, pictureWidth);
    rowReach_ = Spans(rows_, pictureHeight);
    return true;
}

Rect SharpScaler::Reach(const Rect& area) const {
    auto reach = [](const std::vector<Span>& spans, int32_t from, int32_t to, int32_t* first, int32_t* last) {
        *first = INT32_MAX;
        *last = -1;
        from = std::max(from, 0);
        to = std::min(to, static_cast<int32_t>(spans.size()));
        for (int32_t p = from; p < to; ++p) {
            *first = std::min(*first, spans[static_cast<size_t>(p)].First);
            *last = std::max(*last, spans[static_cast<size_t>(p)].Last);
        }
        return *first <= *last;
    };
    int32_t left, right, top, bottom;
    if (!reach(columnReach_, area.Left, area.Right, &left, &right) ||
        !reach(rowReach_, area.Top, area.Bottom, &top, &bottom))
        return Rect{};
    return Rect{left, top, right + 1, bottom + 1};
}

namespace {

// (256 - weight) parts of `a` and `weight` parts of `b`, channel by channel.
inline uint32_t Blend(uint32_t a, uint32_t b, uint32_t weight) {
    const uint32_t keep = 256 - weight;
    const uint32_t redBlue = (((a & 0xFF00FF) * keep + (b & 0xFF00FF) * weight + 0x800080) >> 8) & 0xFF00FF;
    const uint32_t green = (((a & 0xFF00) * keep + (b & 0xFF00) * weight + 0x8000) >> 8) & 0xFF00;
    return redBlue | green;
}

}  // namespace

void SharpScaler::Draw(const uint32_t* picture, int32_t picturePitch, const Rect& shown, uint32_t* out,
                       int32_t outPitch) const {
    const Rect area{std::max(shown.Left, 0), std::max(shown.Top, 0), std::min(shown.Right, ShownWidth()),
                    std::min(shown.Bottom, ShownHeight())};
    if (area.Left >= area.Right || area.Top >= area.Bottom) return;
    const int32_t width = area.Right - area.Left;
    const Tap* columns = columns_.data() + area.Left;
    for (auto& line : lines_) line.resize(static_cast<size_t>(width));
    // Shown rows come in order, two at most from each picture row: keep the
    // last two picture rows filtered across.
    int32_t held[2] = {-1, -1};
    auto across = [&](int32_t row) -> const uint32_t* {
        for (int i = 0; i < 2; ++i)
            if (held[i] == row) return lines_[i].data();
        const int slot = held[0] < held[1] ? 0 : 1;
        held[slot] = row;
        const uint32_t* in = picture + static_cast<size_t>(row) * static_cast<size_t>(picturePitch);
        uint32_t* line = lines_[slot].data();
        for (int32_t x = 0; x < width; ++x) {
            const Tap& tap = columns[x];
            line[x] = tap.Weight == 0 ? in[tap.First] : Blend(in[tap.First], in[tap.First + 1], tap.Weight);
        }
        return line;
    };
    for (int32_t y = area.Top; y < area.Bottom; ++y) {
        uint32_t* row =
            out + static_cast<size_t>(y - shown.Top) * static_cast<size_t>(outPitch) + (area.Left - shown.Left);
        const Tap& tap = rows_[static_cast<size_t>(y)];
        const uint32_t* upper = across(tap.First);
        if (tap.Weight == 0) {
            std::copy_n(upper, width, row);
            continue;
        }
        const uint32_t* lower = across(tap.First + 1);
        upper = held[0] == tap.First ? lines_[0].data() : lines_[1].data();
        for (int32_t x = 0; x < width; ++x) row[x] = Blend(upper[x], lower[x], tap.Weight);
    }
}

int WindowedScale(int32_t width, int32_t height, int32_t desktopHeight, int32_t usableWidth, int32_t usableHeight) {
    if (width <= 0 || height <= 0) return 1;
    const int density = std::max(1, desktopHeight / 1080);
    const int fits = std::min(usableWidth / width, usableHeight / height);
    return std::max(1, std::min(density, fits));
}

bool IsSoftwareGl(std::string_view rendererString) {
    std::string lower(rendererString);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.starts_with("swr")) return true;  // OpenSWR
    for (const char* cpu : {"llvmpipe", "softpipe", "software", "swrast", "gdi generic", "mesa x11"})
        if (lower.find(cpu) != std::string::npos) return true;
    return false;
}

namespace {
bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}
}  // namespace

bool AcceptsVideoDriver(std::string_view chosen, const char* requested) {
    if (!SameName(chosen, "offscreen") && !SameName(chosen, "dummy")) return true;
    std::string_view list = requested != nullptr ? requested : "";
    while (!list.empty()) {
        const size_t comma = list.find(',');
        if (SameName(list.substr(0, comma), chosen)) return true;
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return false;
}

std::string NoDisplayMessage(const char* display, const char* waylandDisplay, std::string_view why) {
    std::string text = "no display could be opened (";
    text += display != nullptr && *display != '\0' ? "DISPLAY=" + std::string(display) : "DISPLAY is not set";
    if (waylandDisplay != nullptr && *waylandDisplay != '\0')
        text += ", WAYLAND_DISPLAY=" + std::string(waylandDisplay);
    text += ")";
    if (!why.empty()) text += ": " + std::string(why);
    return text;
}

std::string VideoStartNote(std::string_view printed, const char* waylandDisplay) {
    const bool waylandNamed = waylandDisplay != nullptr && *waylandDisplay != '\0';
    std::string note;
    while (!printed.empty()) {
        const size_t end = printed.find('\n');
        std::string_view line = printed.substr(0, end);
        printed = end == std::string_view::npos ? std::string_view() : printed.substr(end + 1);
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.remove_suffix(1);
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.front()))) line.remove_prefix(1);
        if (line.empty() || (!waylandNamed && line.find("XDG_RUNTIME_DIR") != std::string_view::npos)) continue;
        if (!note.empty()) note += "; ";
        note += line;
    }
    return note;
}

}  // namespace plat::sdl
