// Colours: 8-bit pixels for the files, float colours for drawing.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "exact_math.h"

namespace assetgen {

struct Rgb8 {
    uint8_t R = 0;
    uint8_t G = 0;
    uint8_t B = 0;
    bool operator==(const Rgb8&) const = default;
};

// The game packs every channel to its top five bits; a pixel whose channels
// are all below 8 becomes word 0, which keyed copies treat as transparent.
constexpr bool PacksToKey(Rgb8 c) { return c.R < 8 && c.G < 8 && c.B < 8; }

// Channels 0..255 as floats; values may overshoot while mixing.
struct Color {
    float R = 0, G = 0, B = 0;
};

inline Color operator+(Color a, Color b) { return {a.R + b.R, a.G + b.G, a.B + b.B}; }
inline Color operator-(Color a, Color b) { return {a.R - b.R, a.G - b.G, a.B - b.B}; }
inline Color operator*(Color a, float k) { return {a.R * k, a.G * k, a.B * k}; }
inline Color operator*(Color a, Color b) { return {a.R * b.R / 255.f, a.G * b.G / 255.f, a.B * b.B / 255.f}; }

inline Color Hex(uint32_t rgb) { return {float((rgb >> 16) & 255), float((rgb >> 8) & 255), float(rgb & 255)}; }
inline Color Gray(float v) { return {v, v, v}; }
inline Color Mix(Color a, Color b, float t) { return a + (b - a) * t; }
inline Color Lighten(Color c, float t) { return Mix(c, Gray(255), t); }
inline Color Darken(Color c, float t) { return c * (1.f - t); }

inline float Clamp01(float v) { return std::clamp(v, 0.f, 1.f); }
inline float Smooth(float e0, float e1, float x) {
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

inline uint8_t ToByte(float v) { return uint8_t(RoundHalfAway(std::clamp(v, 0.f, 255.f))); }

// Drawn pixels must never turn into the colour key: the darkest shade we
// write keeps one channel at 8.
inline Rgb8 Visible(Color c) {
    Rgb8 p{ToByte(c.R), ToByte(c.G), ToByte(c.B)};
    if (PacksToKey(p)) {
        p.R = std::max<uint8_t>(p.R, 8);
        p.G = std::max<uint8_t>(p.G, 8);
        p.B = std::max<uint8_t>(p.B, 8);
    }
    return p;
}

}  // namespace assetgen
