#include "gfx/bitmap.h"

#include <cstring>
#include <fstream>
#include <new>
#include <vector>

#include "gfx/pixel_packing.h"
#include "gfx/surfaces.h"
#include "platform/file_open.h"

BmpImage AssetImage;

namespace {

constexpr uint16_t BitmapMagic = 0x4D42;  // "BM"
constexpr size_t FileHeaderBytes = 14;
constexpr size_t InfoHeaderBytes = 40;
constexpr size_t PaletteBytes = 1024;
constexpr uint32_t CompressionNone = 0;
constexpr uint32_t CompressionBitFields = 3;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

BitmapFileHeader ParseFileHeader(const uint8_t* p) {
    return BitmapFileHeader{U16(p), U32(p + 2), U16(p + 6), U16(p + 8), U32(p + 10)};
}

BitmapInfoHeader ParseInfoHeader(const uint8_t* p) {
    BitmapInfoHeader h;
    h.Size = U32(p);
    h.Width = static_cast<int32_t>(U32(p + 4));
    h.Height = static_cast<int32_t>(U32(p + 8));
    h.Planes = U16(p + 12);
    h.BitCount = U16(p + 14);
    h.Compression = U32(p + 16);
    h.SizeImage = U32(p + 20);
    h.XPelsPerMeter = static_cast<int32_t>(U32(p + 24));
    h.YPelsPerMeter = static_cast<int32_t>(U32(p + 28));
    h.ClrUsed = U32(p + 32);
    h.ClrImportant = U32(p + 36);
    return h;
}

using plat::RefuseFile;

bool ReadExactly(std::ifstream& in, void* into, size_t count) {
    in.read(static_cast<char*>(into), static_cast<std::streamsize>(count));
    return in.good() || (in.eof() && static_cast<size_t>(in.gcount()) == count);
}

// Packs `count` blue-green-red pixels into the display's 16-bit words, low
// byte first. Kept out of LoadBmp: the browser then compiles this loop
// alone for speed, not the whole loader with it.
[[gnu::noinline]] void PackBgrPixels(const uint8_t* bgr, uint8_t* words, size_t count, uint32_t bitCount) {
    for (size_t i = 0; i < count; ++i, bgr += 3) {
        const uint16_t word = PackPixel(bgr[2], bgr[1], bgr[0], bitCount, GamePacking);
        words[2 * i] = static_cast<uint8_t>(word);
        words[2 * i + 1] = static_cast<uint8_t>(word >> 8);
    }
}

}  // namespace

bool LoadBmp(BmpImage& image, const char* fileName, std::string* why) {
    std::ifstream in;
    uint64_t fileBytes = 0;
    if (!plat::OpenAndMeasure(fileName, in, fileBytes, why)) return false;

    uint8_t head[FileHeaderBytes + InfoHeaderBytes];
    if (fileBytes < FileHeaderBytes || !ReadExactly(in, head, FileHeaderBytes))
        return RefuseFile(why, fileName, "too short for a bitmap file header");
    const BitmapFileHeader fileHeader = ParseFileHeader(head);
    if (fileHeader.Type != BitmapMagic) return RefuseFile(why, fileName, "is not a bitmap (no \"BM\" signature)");
    if (fileBytes < FileHeaderBytes + InfoHeaderBytes || !ReadExactly(in, head + FileHeaderBytes, InfoHeaderBytes))
        return RefuseFile(why, fileName, "too short for a bitmap info header");
    BitmapInfoHeader info = ParseInfoHeader(head + FileHeaderBytes);

    // Any other depth would be read as 24-bit rows and shown sheared.
    if (info.BitCount != 8 && info.BitCount != 16 && info.BitCount != 24)
        return RefuseFile(why, fileName, "has " + std::to_string(info.BitCount) + " bits per pixel, not 8, 16 or 24");
    const uint32_t bytesPerPixel = info.BitCount == 8 ? 1 : info.BitCount == 16 ? 2 : 3;
    const uint64_t headerBytes = FileHeaderBytes + InfoHeaderBytes + (bytesPerPixel == 1 ? PaletteBytes : 0);
    if (info.Size < InfoHeaderBytes) return RefuseFile(why, fileName, "info header shorter than 40 bytes");
    // The colour table is read straight after a 40-byte header.
    if (bytesPerPixel == 1 && info.Size != InfoHeaderBytes)
        return RefuseFile(why, fileName, "8-bit bitmap with an info header other than 40 bytes");
    if (info.Width <= 0 || info.Height <= 0)
        return RefuseFile(why, fileName, "width and height must be above 0 (top-down files are not read)");
    if (!(info.Compression == CompressionNone || (info.Compression == CompressionBitFields && bytesPerPixel == 2)))
        return RefuseFile(why, fileName, "compressed bitmaps are not read");
    const uint64_t rowBytes = uint64_t{static_cast<uint32_t>(info.Width)} * bytesPerPixel;
    if (rowBytes % 4 != 0) return RefuseFile(why, fileName, "rows would need padding to four bytes");
    const uint64_t dataBytes = rowBytes * static_cast<uint32_t>(info.Height);
    if (info.SizeImage == 0) return RefuseFile(why, fileName, "biSizeImage is 0");
    if (info.SizeImage < dataBytes) return RefuseFile(why, fileName, "biSizeImage is smaller than the pixels need");
    if (fileBytes < headerBytes) return RefuseFile(why, fileName, "too short for its colour table");
    if (info.SizeImage > fileBytes - headerBytes)
        return RefuseFile(why, fileName, "biSizeImage is larger than the file holds");

    PaletteEntry palette[256];
    if (bytesPerPixel == 1) {
        uint8_t table[PaletteBytes];
        if (!ReadExactly(in, table, PaletteBytes)) return RefuseFile(why, fileName, "colour table cannot be read");
        for (int i = 0; i < 256; ++i)
            palette[i] = PaletteEntry{table[4 * i + 2], table[4 * i + 1], table[4 * i], PaletteNoCollapse};
    }

    in.seekg(static_cast<std::streamoff>(fileBytes - info.SizeImage), std::ios::beg);
    std::unique_ptr<uint8_t[]> pixels;
    size_t pixelBytes = 0;
    if (bytesPerPixel != 3) {
        pixels.reset(new (std::nothrow) uint8_t[info.SizeImage]);
        if (!pixels) return RefuseFile(why, fileName, "out of memory");
        pixelBytes = info.SizeImage;
        if (!ReadExactly(in, pixels.get(), pixelBytes)) return RefuseFile(why, fileName, "pixel data cannot be read");
    } else {
        std::unique_ptr<uint8_t[]> staging(new (std::nothrow) uint8_t[info.SizeImage]);
        pixelBytes = static_cast<size_t>(dataBytes / 3 * 2);
        pixels.reset(new (std::nothrow) uint8_t[pixelBytes]);
        if (!staging || !pixels) return RefuseFile(why, fileName, "out of memory");
        if (!ReadExactly(in, staging.get(), info.SizeImage))
            return RefuseFile(why, fileName, "pixel data cannot be read");
        const uint32_t bitCount = DisplayPixelFormat.RgbBitCount;
        PackBgrPixels(staging.get(), pixels.get(), pixelBytes / 2, bitCount);
        info.BitCount = static_cast<uint16_t>(bitCount);
    }

    const size_t storedRowBytes = static_cast<size_t>(info.Width) * (bytesPerPixel == 1 ? 1 : 2);
    // KEEP AS DESIGNED: a failed flip leaves the picture upside down, still loaded.
    FlipRows(pixels.get(), storedRowBytes, static_cast<size_t>(info.Height));

    image.FileHeader = fileHeader;
    image.InfoHeader = info;
    if (bytesPerPixel == 1) std::memcpy(image.Palette, palette, sizeof palette);
    image.Pixels = std::move(pixels);
    image.PixelBytes = pixelBytes;
    return true;
}

bool FreeBmp(BmpImage& image) {
    image.Pixels.reset();
    image.PixelBytes = 0;
    return true;
}

bool FlipRows(uint8_t* pixels, size_t rowBytes, size_t rows) {
    if (pixels == nullptr || rows < 2 || rowBytes == 0) return true;
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[rowBytes * rows]);
    if (!copy) return false;
    std::memcpy(copy.get(), pixels, rowBytes * rows);
    for (size_t i = 0; i < rows; ++i)
        std::memcpy(pixels + (rows - 1 - i) * rowBytes, copy.get() + i * rowBytes, rowBytes);
    return true;
}

bool UploadImage(const BmpImage& image, plat::Surface* surface, uint32_t rowBytes) {
    if (!image.Pixels || surface == nullptr || rowBytes == 0) return false;
    const uint64_t storedRowBytes =
        uint64_t{static_cast<uint32_t>(image.InfoHeader.Width)} * (image.InfoHeader.BitCount == 8 ? 1 : 2);
    if (image.InfoHeader.Height < UploadRows || storedRowBytes < rowBytes ||
        image.PixelBytes < uint64_t{rowBytes} * UploadRows)
        return false;
    if (surface->Height < UploadRows || uint64_t{rowBytes} > uint64_t{static_cast<uint32_t>(surface->Width)} * 2)
        return false;
    plat::SurfaceLock lock;
    if (!plat::Lock(surface, &lock)) return false;
    auto* base = reinterpret_cast<uint8_t*>(lock.Words);
    for (int32_t row = 0; row < UploadRows; ++row)
        std::memcpy(base + static_cast<size_t>(row) * lock.PitchBytes, image.Pixels.get() + size_t{rowBytes} * row,
                    rowBytes);
    plat::Unlock(surface);
    return true;
}
