#include "shapes.h"

namespace assetgen {

void DrawShape(Layer& layer, int x0, int y0, int x1, int y1, SdfView sdf, ShadeView shade) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, layer.Width);
    y1 = std::min(y1, layer.Height);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float d = sdf(px, py);
            float cover = Clamp01(0.5f - d);
            if (cover <= 0) continue;
            const float e = 0.5f;
            float gx = sdf(px + e, py) - sdf(px - e, py);
            float gy = sdf(px, py + e) - sdf(px, py - e);
            float gl = Hypot(gx, gy);
            if (gl > 1e-6f) {
                gx /= gl;
                gy /= gl;
            }
            layer.Blend(x, y, shade(px, py, -d, gx, gy), cover);
        }
    }
}

void AddGlow(Layer& layer, int x0, int y0, int x1, int y1, SdfView sdf, Color c, float radius, float strength) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, layer.Width);
    y1 = std::min(y1, layer.Height);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            float d = sdf(x + 0.5f, y + 0.5f);
            if (d >= radius) continue;
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
