#include "image.h"

namespace assetgen {

Image FlattenKeyed(const Layer& layer) {
    Image out(layer.Width, layer.Height);
    for (int y = 0; y < layer.Height; ++y) {
        for (int x = 0; x < layer.Width; ++x) {
            if (layer.At(x, y).A >= 0.5f) out.At(x, y) = Visible(layer.ColorAt(x, y));
        }
    }
    return out;
}

Image FlattenOpaque(const Layer& layer) {
    Image out(layer.Width, layer.Height);
    for (int y = 0; y < layer.Height; ++y) {
        for (int x = 0; x < layer.Width; ++x) {
            const Layer::Px& p = layer.At(x, y);
            out.At(x, y) = Visible({p.R, p.G, p.B});
        }
    }
    return out;
}

void Paste(Image& dst, const Image& src, int x, int y, bool skipKey, bool onlyIntoKey) {
    for (int sy = 0; sy < src.Height; ++sy) {
        int dy = y + sy;
        if (dy < 0 || dy >= dst.Height) continue;
        for (int sx = 0; sx < src.Width; ++sx) {
            int dx = x + sx;
            if (dx < 0 || dx >= dst.Width) continue;
            Rgb8 p = src.At(sx, sy);
            if (skipKey && p == Rgb8{}) continue;
            if (onlyIntoKey && !(dst.At(dx, dy) == Rgb8{})) continue;
            dst.At(dx, dy) = p;
        }
    }
}

Image Crop(const Image& src, int x, int y, int width, int height) {
    Image out(width, height);
    for (int sy = 0; sy < height; ++sy) {
        for (int sx = 0; sx < width; ++sx) {
            int cx = x + sx, cy = y + sy;
            if (cx >= 0 && cy >= 0 && cx < src.Width && cy < src.Height) out.At(sx, sy) = src.At(cx, cy);
        }
    }
    return out;
}

void PasteIntoLayer(Layer& dst, const Image& src, int x, int y, bool skipKey) {
    for (int sy = 0; sy < src.Height; ++sy) {
        for (int sx = 0; sx < src.Width; ++sx) {
            Rgb8 p = src.At(sx, sy);
            if (skipKey && p == Rgb8{}) continue;
            if (!dst.Inside(x + sx, y + sy)) continue;
            dst.At(x + sx, y + sy) = {float(p.R), float(p.G), float(p.B), 1};
        }
    }
}

}  // namespace assetgen
