// Shapes as signed distance functions (negative inside, in pixels), and the
// one routine that paints them with bevels and highlights. Every sprite of
// the game is built from these, which keeps the look coherent.
#pragma once

#include <algorithm>
#include <cmath>

#include "color.h"
#include "exact_math.h"
#include "image.h"

namespace assetgen {

inline float SdRoundRect(float px, float py, float cx, float cy, float halfW, float halfH, float radius) {
    float qx = std::fabs(px - cx) - halfW + radius;
    float qy = std::fabs(py - cy) - halfH + radius;
    float ox = std::max(qx, 0.f), oy = std::max(qy, 0.f);
    return Hypot(ox, oy) + std::min(std::max(qx, qy), 0.f) - radius;
}

inline float SdCircle(float px, float py, float cx, float cy, float r) { return Hypot(px - cx, py - cy) - r; }

// Approximate ellipse distance; good enough for shading and edges.
inline float SdEllipse(float px, float py, float cx, float cy, float rx, float ry) {
    float dx = (px - cx) / rx, dy = (py - cy) / ry;
    float k = Hypot(dx, dy);
    if (k < 1e-6f) return -std::min(rx, ry);
    float gx = dx / rx, gy = dy / ry;
    return (k - 1) * k / Hypot(gx, gy);
}

inline float SdSegment(float px, float py, float ax, float ay, float bx, float by) {
    float vx = bx - ax, vy = by - ay, wx = px - ax, wy = py - ay;
    float len2 = vx * vx + vy * vy;
    float t = len2 > 0 ? std::clamp((wx * vx + wy * vy) / len2, 0.f, 1.f) : 0.f;
    return Hypot(wx - vx * t, wy - vy * t);
}

// The area of a drawing call for a shape that lies within `radius` of
// (cx, cy) and paints up to `reach` beyond its edge (its outline, its glow,
// its soft edge): no pixel outside can be painted, so none is visited.
struct Area {
    int X0, Y0, X1, Y1;
};
inline Area Around(float cx, float cy, float radius, float reach) {
    const float r = radius + reach + 2;  // two pixels for rounding
    return {int(std::floor(cx - r)), int(std::floor(cy - r)), int(std::ceil(cx + r)) + 1, int(std::ceil(cy + r)) + 1};
}

// How a shape's edge is lit: a bevel of `Width` pixels, flat or rounded,
// lit from the top left; `Specular` adds a white gloss.
struct Bevel {
    float Width = 3;
    float Depth = 1.2f;
    bool Round = false;
    float Specular = 0;
    float Shininess = 24;
    float Contrast = 1;
};

// Shade for a point `inside` pixels within the edge, whose outward normal
// in the picture plane is (nx, ny).
inline Color ShadeBevel(Color base, float inside, float nx, float ny, const Bevel& b) {
    float sx = 0, sy = 0;
    if (inside < b.Width) {
        float u = 1 - std::max(inside, 0.f) / b.Width;
        float k = b.Round ? b.Depth * u / std::sqrt(std::max(1 - u * u, 0.04f)) : b.Depth;
        sx = nx * k;
        sy = ny * k;
    }
    float nlen = std::sqrt(sx * sx + sy * sy + 1);
    float Nx = sx / nlen, Ny = sy / nlen, Nz = 1 / nlen;
    const float Lx = -0.48f, Ly = -0.62f, Lz = 0.62f;  // normalised, from the top left
    float lambert = (Nx * Lx + Ny * Ly + Nz * Lz) / Lz;
    float light = 1 + (lambert - 1) * b.Contrast;
    Color c = light >= 1 ? Lighten(base, Clamp01((light - 1) * 0.55f)) : base * std::max(light, 0.15f);
    if (b.Specular > 0) {
        float hx = Lx, hy = Ly, hz = Lz + 1;
        float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
        float s = std::max(0.f, (Nx * hx + Ny * hy + Nz * hz) / hl);
        c = Lighten(c, Clamp01(b.Specular * std::pow(s, b.Shininess)));
    }
    return c;
}

// A callable seen through a pointer, so that one drawing loop serves every
// shape: in the browser one loop is then compiled well for all of them
// rather than one for each shape (the result is the same either way).
template <class Signature>
class FunctionView;
template <class R, class... Args>
class FunctionView<R(Args...)> {
public:
    template <class F>
    FunctionView(const F& f)  // NOLINT: views stand in for callables
        : object_(&f),
          call_([](const void* object, Args... args) -> R { return (*static_cast<const F*>(object))(args...); }) {}
    R operator()(Args... args) const { return call_(object_, args...); }

private:
    const void* object_;
    R (*call_)(const void*, Args...);
};
using SdfView = FunctionView<float(float, float)>;
using ShadeView = FunctionView<Color(float, float, float, float, float)>;
using RowView = FunctionView<void(int)>;

// Calls row(y) for each y from top to bottom - 1. A picture's own loop over
// its pixels runs once; the browser optimises a function only between its
// calls, so as a call a row it is optimised after the first rows.
void ForEachRow(int top, int bottom, RowView row);

// Paints the shape `sdf(x, y)` over [x0, x1) x [y0, y1) of the layer with
// colour `shade(x, y, inside, nx, ny)`; edges get fractional coverage.
void DrawShape(Layer& layer, int x0, int y0, int x1, int y1, SdfView sdf, ShadeView shade);

// Paints the shape in one colour, as DrawShape does.
void FillShape(Layer& layer, int x0, int y0, int x1, int y1, SdfView sdf, Color c);

// What a shape's function gives. A true distance to its edge changes by at
// most a pixel from one pixel to the next: along a row, the pixels within
// that distance of one the shape does not reach are not reached either, and
// are passed over unmeasured (with a hundredth of a pixel to spare for
// rounding). Any other function is measured at every pixel.
enum class Measure { Any, Distance };

// FillShape(sdf - outline, edge), then DrawShape(sdf, shade), over the same
// area, in one pass: each pixel is painted by both in that order, and the
// shape measured once for both. `outline` must not be negative.
void DrawOutlined(Layer& layer, int x0, int y0, int x1, int y1, SdfView sdf, float outline, Color edge, ShadeView shade,
                  Measure measure = Measure::Any);

// A bevelled solid: outline `outline` pixels wide in `edge`, then the body
// with the bevel lighting over `base(x, y)`.
template <class Sdf, class Base>
void DrawBevelled(Layer& layer, int x0, int y0, int x1, int y1, Sdf sdf, Base base, const Bevel& bevel, Color edge,
                  float outline) {
    const auto shade = [&](float x, float y, float inside, float nx, float ny) {
        return ShadeBevel(base(x, y), inside, nx, ny, bevel);
    };
    if (outline > 0)
        DrawOutlined(layer, x0, y0, x1, y1, sdf, outline, edge, shade);
    else
        DrawShape(layer, x0, y0, x1, y1, sdf, shade);
}

// Adds light around and inside a shape, fading over `radius` pixels
// outside its edge; for opaque pictures and glowing effects.
void AddGlow(Layer& layer, int x0, int y0, int x1, int y1, SdfView sdf, Color c, float radius, float strength,
             Measure measure = Measure::Any);

}  // namespace assetgen
