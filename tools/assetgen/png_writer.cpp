#include "png_writer.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace assetgen {

namespace {

// Rows of `channels` bytes a pixel, filled by `fillRow(y, bytes)`.
template <class FillRow>
bool Write(const std::string& path, int width, int height, int channels, FillRow fillRow) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(size_t(width) * channels);
    for (int y = 0; y < height; ++y) {
        fillRow(y, row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

}  // namespace

bool WritePng(const Image& image, const std::string& path) {
    return Write(path, image.Width, image.Height, 3, [&](int y, png_byte* out) { PngRow(image, y, out); });
}

bool WritePng(const Layer& layer, const std::string& path) {
    return Write(path, layer.Width, layer.Height, 4, [&](int y, png_byte* out) { PngRow(layer, y, out); });
}

}  // namespace assetgen
