#include <png.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/png_plain.h"

namespace {

struct Decoded {
    bool Ok = false;
    uint32_t Width = 0, Height = 0;
    std::vector<uint8_t> Rgb;
};

// libpng reads the file back, checking every CRC and the stream's Adler-32.
Decoded DecodeWithLibpng(const std::vector<uint8_t>& file) {
    Decoded out;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return out;
    image.format = PNG_FORMAT_RGB;
    out.Rgb.resize(PNG_IMAGE_SIZE(image));
    out.Ok = png_image_finish_read(&image, nullptr, out.Rgb.data(), 0, nullptr) != 0;
    out.Width = image.width;
    out.Height = image.height;
    return out;
}

std::vector<uint8_t> Pattern(int32_t width, int32_t height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return rgb;
}

TEST(PngPlain, LibpngReadsBackTheSamePixels) {
    // One pixel; a picture in one stored block; the game's screen, which needs
    // 23 blocks and so tests the block seams and the running checksum.
    for (auto [w, h] : {std::pair{1, 1}, std::pair{37, 11}, std::pair{800, 600}}) {
        const std::vector<uint8_t> rgb = Pattern(w, h);
        const Decoded d = DecodeWithLibpng(plat::png::EncodeRgbPlain(w, h, rgb.data()));
        ASSERT_TRUE(d.Ok) << w << "x" << h;
        EXPECT_EQ(d.Width, static_cast<uint32_t>(w));
        EXPECT_EQ(d.Height, static_cast<uint32_t>(h));
        EXPECT_EQ(d.Rgb, rgb) << w << "x" << h;
    }
}

TEST(PngPlain, RefusesSizesItCannotWrite) {
    const uint8_t pixel[3] = {1, 2, 3};
    EXPECT_TRUE(plat::png::EncodeRgbPlain(0, 1, pixel).empty());
    EXPECT_TRUE(plat::png::EncodeRgbPlain(1, -1, pixel).empty());
    EXPECT_TRUE(plat::png::EncodeRgbPlain(1, 1, nullptr).empty());
    // Past a gigabyte: refused before any memory is touched.
    EXPECT_TRUE(plat::png::EncodeRgbPlain(INT32_MAX, INT32_MAX, pixel).empty());
    EXPECT_TRUE(plat::png::EncodeRgbPlain(20000, 20000, pixel).empty());
}

}  // namespace
