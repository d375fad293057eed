#include "font.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "exact_math.h"
#include "shapes.h"

namespace assetgen {
namespace {

// Each glyph: polylines separated by '|', points "x,y" separated by spaces,
// on a grid 4 wide and 6 tall with y downward.
const char* GlyphPath(char c) {
    switch (c) {
        case 'A': return "0,6 0,1.5 1.5,0 2.5,0 4,1.5 4,6|0,3.5 4,3.5";
        case 'B': return "0,0 3,0 4,1 4,2 3,3 0,3|3,3 4,4 4,5 3,6 0,6 0,0";
        case 'C': return "4,1 3,0 1,0 0,1 0,5 1,6 3,6 4,5";
        case 'D': return "0,0 3,0 4,1 4,5 3,6 0,6 0,0";
        case 'E': return "4,0 0,0 0,6 4,6|0,3 3,3";
        case 'F': return "4,0 0,0 0,6|0,3 3,3";
        case 'G': return "4,1 3,0 1,0 0,1 0,5 1,6 3,6 4,5 4,3.5 2.5,3.5";
        case 'H': return "0,0 0,6|4,0 4,6|0,3 4,3";
        case 'I': return "1,0 3,0|2,0 2,6|1,6 3,6";
        case 'J': return "4,0 4,5 3,6 1,6 0,5";
        case 'K': return "0,0 0,6|4,0 0.5,3.2|1.6,2.6 4,6";
        case 'L': return "0,0 0,6 4,6";
        case 'M': return "0,6 0,0 2,3 4,0 4,6";
        case 'N': return "0,6 0,0 4,6 4,0";
        case 'O':
        case '0': return "1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,1 1,0";
        case 'P': return "0,6 0,0 3,0 4,1 4,2 3,3 0,3";
        case 'Q': return "1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,1 1,0|2.6,4.6 4,6.2";
        case 'R': return "0,6 0,0 3,0 4,1 4,2 3,3 0,3|2,3 4,6";
        case 'S': return "4,1 3,0 1,0 0,1 0,2 1,3 3,3 4,4 4,5 3,6 1,6 0,5";
        case 'T': return "0,0 4,0|2,0 2,6";
        case 'U': return "0,0 0,5 1,6 3,6 4,5 4,0";
        case 'V': return "0,0 2,6 4,0";
        case 'W': return "0,0 1,6 2,3 3,6 4,0";
        case 'X': return "0,0 4,6|4,0 0,6";
        case 'Y': return "0,0 2,3 4,0|2,3 2,6";
        case 'Z': return "0,0 4,0 0,6 4,6";
        case '1': return "1,1 2,0 2,6|1,6 3,6";
        case '2': return "0,1 1,0 3,0 4,1 4,2 0,6 4,6";
        case '3': return "0,1 1,0 3,0 4,1 4,2 3,3 1.5,3|3,3 4,4 4,5 3,6 1,6 0,5";
        case '4': return "3,6 3,0 0,4 4,4";
        case '5': return "4,0 0,0 0,3 3,3 4,4 4,5 3,6 1,6 0,5";
        case '6': return "3.5,0 1,0 0,1 0,5 1,6 3,6 4,5 4,4 3,3 0,3";
        case '7': return "0,0 4,0 1.5,6";
        case '8': return "1,0 3,0 4,1 4,2 3,3 1,3 0,4 0,5 1,6 3,6 4,5 4,4 3,3|1,3 0,2 0,1 1,0";
        case '9': return "4,3 1,3 0,2 0,1 1,0 3,0 4,1 4,5 3,6 0.5,6";
        case '.': return "2,6 2,6";
        case ',': return "2,5.6 1.4,7";
        case '!': return "2,0 2,4|2,6 2,6";
        case '?': return "0,1 1,0 3,0 4,1 4,2 2,3.5 2,4|2,6 2,6";
        case '-': return "1,3 3,3";
        case '+': return "2,1 2,5|0,3 4,3";
        case '\'': return "2,0 2,1.6";
        case ':': return "2,1.5 2,1.5|2,5 2,5";
        // A heart, for the extra life.
        case '@': return "2,6 0,3 0,1 1,0 2,1 3,0 4,1 4,3 2,6";
        // A star, for points.
        case '*': return "2,0 2.7,2 4.4,2 3,3.3 3.6,5.6 2,4.2 0.4,5.6 1,3.3 -0.4,2 1.3,2 2,0";
        default: return "";
    }
}

struct GlyphPoint {
    float X, Y;
};
using GlyphLine = std::vector<GlyphPoint>;

std::vector<GlyphLine> ParseGlyph(const std::string& path) {
    std::vector<GlyphLine> lines;
    size_t start = 0;
    while (start <= path.size() && !path.empty()) {
        size_t bar = path.find('|', start);
        std::string line = path.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        GlyphLine& points = lines.emplace_back();
        const char* p = line.c_str();
        while (*p) {
            const char* end = nullptr;
            float gx = ReadFloat(p, &end);
            p = end + 1;  // the comma
            float gy = ReadFloat(p, &end);
            p = end;
            while (*p == ' ') ++p;
            points.push_back({gx, gy});
        }
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return lines;
}

// Every glyph's lines, read once: the art lays out text thousands of times.
const std::vector<GlyphLine>& GlyphLines(char c) {
    static const std::array<std::vector<GlyphLine>, 128> glyphs = [] {
        std::array<std::vector<GlyphLine>, 128> all;
        for (int ch = 0; ch < 128; ++ch) all[size_t(ch)] = ParseGlyph(GlyphPath(char(ch)));
        return all;
    }();
    static const std::vector<GlyphLine> none;
    const auto code = static_cast<unsigned char>(c);
    return code < glyphs.size() ? glyphs[code] : none;
}

}  // namespace

std::vector<Stroke> LayoutText(std::string_view text, float x, float y, const TextStyle& style) {
    std::vector<Stroke> out;
    float pen = x;
    const float advance = (4 + style.Spacing) * style.Scale * style.WidthScale;
    for (char ch : text) {
        for (const GlyphLine& line : GlyphLines(ch)) {
            float prevX = 0, prevY = 0;
            for (size_t i = 0; i < line.size(); ++i) {
                const float gx = line[i].X, gy = line[i].Y;
                float sx = pen + (gx * style.WidthScale + (6 - gy) * style.Slant) * style.Scale;
                float sy = y + gy * style.Scale;
                if (i > 0)
                    out.push_back({prevX, prevY, sx, sy});
                else if (line.size() == 1)
                    out.push_back({sx, sy, sx, sy});
                prevX = sx;
                prevY = sy;
            }
        }
        pen += advance;
    }
    return out;
}

float TextWidth(std::string_view text, const TextStyle& style) {
    if (text.empty()) return 0;
    return ((4 + style.Spacing) * float(text.size()) - style.Spacing) * style.Scale * style.WidthScale;
}

TextShape::TextShape(std::vector<Stroke> strokes, float weight) : strokes_(std::move(strokes)), weight_(weight) {
    Left = Top = std::numeric_limits<float>::max();
    Right = Bottom = std::numeric_limits<float>::lowest();
    for (size_t i = 0; i < strokes_.size(); ++i) {
        const Stroke& s = strokes_[i];
        const Box box{std::min(s.X0, s.X1), std::min(s.Y0, s.Y1), std::max(s.X0, s.X1), std::max(s.Y0, s.Y1)};
        boxes_.push_back(box);
        if (i % RunLength == 0) runs_.push_back(box);
        Box& run = runs_.back();
        run = {std::min(run.X0, box.X0), std::min(run.Y0, box.Y0), std::max(run.X1, box.X1), std::max(run.Y1, box.Y1)};
        Left = std::min({Left, s.X0, s.X1});
        Right = std::max({Right, s.X0, s.X1});
        Top = std::min({Top, s.Y0, s.Y1});
        Bottom = std::max({Bottom, s.Y0, s.Y1});
    }
    Left -= weight;
    Top -= weight;
    Right += weight;
    Bottom += weight;
}

float TextShape::operator()(float px, float py) const {
    // The distance is the least over the strokes; a stroke whose box lies
    // further than the best so far cannot lower it, nor can a run of them
    // whose box does. Neighbouring pixels are mostly nearest to the same
    // stroke: measured first, it makes the best small at once, so that most
    // boxes are passed over. The least is the same in any order.
    if (strokes_.empty()) return 1e9f - weight_;
    const size_t first = nearest_ < strokes_.size() ? nearest_ : 0;
    const Stroke& f = strokes_[first];
    float best = SdSegment(px, py, f.X0, f.Y0, f.X1, f.Y1);
    for (size_t r = 0; r < runs_.size(); ++r) {
        if (runs_[r].FurtherThan(px, py, best)) continue;
        const size_t end = std::min(strokes_.size(), (r + 1) * RunLength);
        for (size_t i = r * RunLength; i < end; ++i) {
            if (i == first || boxes_[i].FurtherThan(px, py, best)) continue;
            const Stroke& s = strokes_[i];
            const float d = SdSegment(px, py, s.X0, s.Y0, s.X1, s.Y1);
            if (d < best) {
                best = d;
                nearest_ = i;
            }
        }
    }
    return best - weight_;
}

}  // namespace assetgen
