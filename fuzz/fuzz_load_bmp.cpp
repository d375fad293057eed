#include <cstddef>
#include <cstdint>

#include "fuzz_file.h"
#include "gfx/bitmap.h"
#include "gfx/pixel_packing.h"
#include "shell/devices.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteFuzzFile(data, size)) return 0;
    // Both packings and both display depths take the same paths through the checks.
    DisplayPixelFormat.RgbBitCount = (size & 1) ? 15 : 16;
    GamePacking = (size & 2) ? Packing::Rgb555 : Packing::Rgb565;
    BmpImage image;
    if (LoadBmp(image, FuzzFilePath().c_str())) {
        // Touch every byte the loader claims to hold.
        volatile uint8_t sink = 0;
        for (size_t i = 0; i < image.PixelBytes; ++i) sink = sink ^ image.Pixels[i];
    }
    FreeBmp(image);
    return 0;
}
