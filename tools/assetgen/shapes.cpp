#include "shapes.h"

namespace assetgen {
namespace {

// The area [x0, x1) x [y0, y1) cut to the layer.
Area Within(const Layer& layer, int x0, int y0, int x1, int y1) {
    return {std::max(x0, 0), std::max(y0, 0), std::min(x1, layer.Width), std::min(y1, layer.Height)};
}

}  // namespace

void ForEachRow(int top, int bottom, RowView row) {
    for (int y = top; y < bottom; ++y) row(y);
}

namespace {

// How many pixels after one whose distance lies `beyond` past the farthest
// a shape reaches are out of its reach too.
int OutOfReach(Measure measure, float beyond) {
    if (measure != Measure::Distance || !(beyond > 0.01f)) return 0;
    return int(std::min(beyond - 0.01f, 1e6f));
}

// The shape's outward direction at (px, py), from its distances half a
// pixel either side; (0, 0) where it has none.
void Normal(SdfView sdf, float px, float py, float& gx, float& gy) {
    const float e = 0.5f;
    gx = sdf(px + e, py) - sdf(px - e, py);
    gy = sdf(px, py + e) - sdf(px, py - e);
    float gl = Hypot(gx, gy);
    if (gl > 1e-6f) {
        gx /= gl;
        gy /= gl;
    }
}

}  // namespace

void DrawShape(Layer& layer, int x0, int y0, int x1, int y1, SdfView sdf, ShadeView shade) {
    const Area a = Within(layer, x0, y0, x1, y1);
    for (int y = a.Y0; y < a.Y1; ++y) {
        for (int x = a.X0; x < a.X1; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float d = sdf(px, py);
            float cover = Clamp01(0.5f - d);
            if (cover <= 0) continue;
            float gx, gy;
            Normal(sdf, px, py, gx, gy);
            layer.Blend(x, y, shade(px, py, -d, gx, gy), cover);
        }
    }
}

void FillShape(Layer& layer, int x0, int y0, int x1, int y1, SdfView sdf, Color c) {
    const Area a = Within(layer, x0, y0, x1, y1);
    for (int y = a.Y0; y < a.Y1; ++y) {
        for (int x = a.X0; x < a.X1; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            layer.Blend(x, y, c, Clamp01(0.5f - sdf(px, py)));
        }
    }
}

void DrawOutlined(Layer& layer, int x0, int y0, int x1, int y1, SdfView sdf, float outline, Color edge, ShadeView shade,
                  Measure measure) {
    const Area a = Within(layer, x0, y0, x1, y1);
    for (int y = a.Y0; y < a.Y1; ++y) {
        for (int x = a.X0; x < a.X1; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float d = sdf(px, py);
            float cover = Clamp01(0.5f - (d - outline));
            // Beyond the outline is beyond the shape, the outline being wider.
            if (cover <= 0) {
                x += OutOfReach(measure, d - outline - 0.5f);
                continue;
            }
            layer.Blend(x, y, edge, cover);
            cover = Clamp01(0.5f - d);
            if (cover <= 0) continue;
            float gx, gy;
            Normal(sdf, px, py, gx, gy);
            layer.Blend(x, y, shade(px, py, -d, gx, gy), cover);
        }
    }
}

void AddGlow(Layer& layer, int x0, int y0, int x1, int y1, SdfView sdf, Color c, float radius, float strength,
             Measure measure) {
    const Area a = Within(layer, x0, y0, x1, y1);
    for (int y = a.Y0; y < a.Y1; ++y) {
        for (int x = a.X0; x < a.X1; ++x) {
            float d = sdf(x + 0.5f, y + 0.5f);
            if (d >= radius) {
                x += OutOfReach(measure, d - radius);
                continue;
            }
            float t = d <= 0 ? 1.f : 1 - d / radius;
            float k = strength * t * t;
            Layer::Px& p = layer.At(x, y);
            p.R += c.R * k;
            p.G += c.G * k;
            p.B += c.B * k;
            p.A = std::min(1.f, p.A + k);
        }
    }
}

}  // namespace assetgen
