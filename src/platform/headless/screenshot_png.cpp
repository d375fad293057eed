// A screenshot of the headless display as a PNG file.
#include <png.h>

#include <cstdio>
#include <memory>

#include "platform/headless/headless.h"

namespace plat::headless {

bool SavePrimaryPng(const std::string& path, std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) *error = why;
        return false;
    };
    const Surface* s = Primary();
    if (s == nullptr) return fail("no primary surface to save");
    const std::vector<uint8_t> rgb = PrimaryRgb();

    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) return fail("cannot open " + path + " for writing");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return fail("libpng could not start");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return fail("libpng failed while writing " + path);
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(s->Width), static_cast<png_uint_32>(s->Height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < s->Height; ++y)
        png_write_row(png, const_cast<png_bytep>(rgb.data() + static_cast<size_t>(y) * s->Width * 3));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    // The last of the file is written only as it closes.
    if (std::fclose(file.release()) != 0) return fail("cannot write " + path);
    return true;
}

}  // namespace plat::headless
