// Our lettering: a stroke font on a 4 x 6 grid with chamfered corners,
// drawn at any size as thick rounded strokes, so that the banner, the
// digits, the title and the captions share one face.
#pragma once

#include <string_view>
#include <vector>

namespace assetgen {

struct Stroke {
    float X0, Y0, X1, Y1;
};

struct TextStyle {
    float Scale = 5;       // pixels per grid unit; a capital is 6 units tall
    float Weight = 1.5f;   // stroke radius in pixels
    float Spacing = 1.6f;  // grid units between letters
    float Slant = 0;       // x shift per unit of height, for italics
    float WidthScale = 1;  // horizontal stretch of the letters
};

// Segments of `text` laid out from (x, y), the top left of the capitals.
std::vector<Stroke> LayoutText(std::string_view text, float x, float y, const TextStyle& style);
// Width in pixels from the first letter's left edge to the last one's right.
float TextWidth(std::string_view text, const TextStyle& style);

// Distance from (px, py) to the lettering (negative inside the strokes).
class TextShape {
public:
    TextShape(std::vector<Stroke> strokes, float weight);
    float operator()(float px, float py) const;
    // Bounding box of the ink, for limiting loops.
    float Left, Top, Right, Bottom;

private:
    struct Box {
        float X0, Y0, X1, Y1;  // left, top, right, bottom
        bool FurtherThan(float px, float py, float d) const {
            return px < X0 - d || px > X1 + d || py < Y0 - d || py > Y1 + d;
        }
    };
    // Strokes in runs of a few, each run with the box around its strokes.
    static constexpr size_t RunLength = 6;
    std::vector<Stroke> strokes_;
    std::vector<Box> boxes_;  // one a stroke
    std::vector<Box> runs_;   // one a run
    float weight_;
    mutable size_t nearest_ = 0;  // the stroke nearest to the last point asked
};

}  // namespace assetgen
