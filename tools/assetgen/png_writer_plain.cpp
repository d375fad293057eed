// PNG output in builds without libpng: stored, not compressed.
#include <cstdio>
#include <vector>

#include "platform/png_plain.h"
#include "png_writer.h"

namespace assetgen {
namespace {

template <class Picture>
bool WritePlain(const Picture& picture, int channels, const std::string& path) {
    std::vector<uint8_t> pixels(size_t(picture.Width) * size_t(picture.Height) * size_t(channels));
    for (int y = 0; y < picture.Height; ++y) PngRow(picture, y, pixels.data() + size_t(y) * picture.Width * channels);
    const std::vector<uint8_t> file = plat::png::EncodePlain(picture.Width, picture.Height, channels, pixels.data());
    if (file.empty()) return false;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

bool WritePng(const Image& image, const std::string& path) { return WritePlain(image, 3, path); }
bool WritePng(const Layer& layer, const std::string& path) { return WritePlain(layer, 4, path); }

}  // namespace assetgen
