// Pictures: finished 8-bit images and the float layers they are drawn on.
#pragma once

#include <vector>

#include "color.h"

namespace assetgen {

// A finished picture, top row first. Pure black is the colour key.
struct Image {
    int Width = 0;
    int Height = 0;
    std::vector<Rgb8> Pixels;

    Image() = default;
    Image(int width, int height) : Width(width), Height(height), Pixels(size_t(width) * height) {}
    Rgb8& At(int x, int y) { return Pixels[size_t(y) * Width + x]; }
    const Rgb8& At(int x, int y) const { return Pixels[size_t(y) * Width + x]; }
};

// A drawing surface with coverage: premultiplied colour and alpha, so that
// painting in layers and cutting sprites out for the key both stay simple.
struct Layer {
    struct Px {
        float R = 0, G = 0, B = 0, A = 0;
    };
    int Width = 0;
    int Height = 0;
    std::vector<Px> Pixels;

    Layer(int width, int height) : Width(width), Height(height), Pixels(size_t(width) * height) {}
    Px& At(int x, int y) { return Pixels[size_t(y) * Width + x]; }
    const Px& At(int x, int y) const { return Pixels[size_t(y) * Width + x]; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }

    // Paints `c` over the pixel with the given coverage.
    void Blend(int x, int y, Color c, float coverage) {
        if (coverage <= 0 || !Inside(x, y)) return;
        coverage = coverage > 1 ? 1 : coverage;
        Px& p = At(x, y);
        float k = 1 - coverage;
        p.R = c.R * coverage + p.R * k;
        p.G = c.G * coverage + p.G * k;
        p.B = c.B * coverage + p.B * k;
        p.A = coverage + p.A * k;
    }
    // The colour under the coverage (black where nothing is drawn).
    Color ColorAt(int x, int y) const {
        const Px& p = At(x, y);
        if (p.A <= 0) return {};
        return {p.R / p.A, p.G / p.A, p.B / p.A};
    }
    void Fill(Color c) {
        for (Px& p : Pixels) p = {c.R, c.G, c.B, 1};
    }
};

// Keyed sprites get hard edges: half-covered pixels are drawn, the rest
// become the key. Opaque art is composed over black.
Image FlattenKeyed(const Layer& layer);
Image FlattenOpaque(const Layer& layer);

// Copies `src` into `dst` at (x, y); keyed pixels of `src` are skipped when
// `skipKey` is set, and with `onlyIntoKey` only key pixels of `dst` change.
void Paste(Image& dst, const Image& src, int x, int y, bool skipKey = false, bool onlyIntoKey = false);
Image Crop(const Image& src, int x, int y, int width, int height);
// Paints a flattened image onto a layer as fully covered pixels.
void PasteIntoLayer(Layer& dst, const Image& src, int x, int y, bool skipKey);

}  // namespace assetgen
