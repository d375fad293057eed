// PNG output for the contact sheet in builds without libpng: stored, not
// compressed.
#include <cstdio>
#include <vector>

#include "platform/headless/png_plain.h"
#include "png_writer.h"

namespace assetgen {

bool WritePng(const Image& image, const std::string& path) {
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(image.Width) * size_t(image.Height) * 3);
    for (int y = 0; y < image.Height; ++y) {
        for (int x = 0; x < image.Width; ++x) {
            const Rgb8& p = image.At(x, y);
            rgb.insert(rgb.end(), {p.R, p.G, p.B});
        }
    }
    const std::vector<uint8_t> file = plat::png::EncodeRgbPlain(image.Width, image.Height, rgb.data());
    if (file.empty()) return false;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace assetgen
