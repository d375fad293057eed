// Windows bitmap files: loading, row order and upload into a surface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

struct BitmapFileHeader {
    uint16_t Type = 0;
    uint32_t Size = 0;
    uint16_t Reserved1 = 0;
    uint16_t Reserved2 = 0;
    uint32_t OffBits = 0;
};

struct BitmapInfoHeader {
    uint32_t Size = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t Planes = 0;
    uint16_t BitCount = 0;
    uint32_t Compression = 0;
    uint32_t SizeImage = 0;
    int32_t XPelsPerMeter = 0;
    int32_t YPelsPerMeter = 0;
    uint32_t ClrUsed = 0;
    uint32_t ClrImportant = 0;
};

struct PaletteEntry {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    uint8_t Flags = 0;
};

constexpr uint8_t PaletteNoCollapse = 4;

struct BmpImage {
    BitmapFileHeader FileHeader;
    BitmapInfoHeader InfoHeader;        // after a 24-bit load, BitCount is the display's
    PaletteEntry Palette[256];          // 8-bit images only
    std::unique_ptr<uint8_t[]> Pixels;  // top row first; null when empty
    size_t PixelBytes = 0;
};

// The one image record every asset passes through on its way to a surface.
extern BmpImage AssetImage;

constexpr int32_t UploadRows = 600;

// Reads an uncompressed 8-, 16- or 24-bit bitmap; 24-bit pixels are packed to words by the
// display's bit count and GamePacking. A file whose numbers do not add up is
// refused with false and `why` says what is wrong; the image is then left as
// it was. The pixel data is found from the end of the file.
bool LoadBmp(BmpImage& image, const char* fileName, std::string* why = nullptr);
bool FreeBmp(BmpImage& image);
// Reverses the order of `rows` rows in place; false (rows untouched) when its
// temporary copy cannot be had.
bool FlipRows(uint8_t* pixels, size_t rowBytes, size_t rows);
// Copies 600 rows of `rowBytes` into the surface; copies nothing and returns
// false unless both the image and the surface hold that much.
bool UploadImage(const BmpImage& image, plat::Surface* surface, uint32_t rowBytes);
