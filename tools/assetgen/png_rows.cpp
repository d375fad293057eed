#include "color.h"
#include "png_writer.h"

namespace assetgen {

void PngRow(const Image& image, int y, uint8_t* out) {
    for (int x = 0; x < image.Width; ++x, out += 3) {
        const Rgb8& p = image.At(x, y);
        out[0] = p.R;
        out[1] = p.G;
        out[2] = p.B;
    }
}

void PngRow(const Layer& layer, int y, uint8_t* out) {
    for (int x = 0; x < layer.Width; ++x, out += 4) {
        const Layer::Px& p = layer.At(x, y);
        const float a = Clamp01(p.A);
        // The layer keeps its colour multiplied by the coverage; PNG does not.
        const float k = a > 0 ? 1 / a : 0;
        out[0] = ToByte(p.R * k);
        out[1] = ToByte(p.G * k);
        out[2] = ToByte(p.B * k);
        out[3] = ToByte(a * 255);
    }
}

}  // namespace assetgen
