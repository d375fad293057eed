#include "ico_writer.h"

#include "byte_io.h"
#include "png_writer.h"

namespace assetgen {

std::vector<uint8_t> EncodeIco(const std::vector<Layer>& sizes) {
    std::vector<uint8_t> out;
    ByteWriter file(out);
    for (const Layer& layer : sizes)
        if (layer.Width != layer.Height || layer.Width < 1 || layer.Width > 256) return out;
    // The directory, then each picture as a bitmap of twice its height: the
    // colour rows, then the one-bit mask that Windows before XP draws with.
    file.U16(0);
    file.U16(1);  // an icon, not a cursor
    file.U16(uint16_t(sizes.size()));
    size_t offset = 6 + 16 * sizes.size();
    std::vector<std::vector<uint8_t>> pictures;
    for (const Layer& layer : sizes) {
        const int n = layer.Width;
        const size_t maskStride = ((size_t(n) + 31) / 32) * 4;
        std::vector<uint8_t> picture;
        ByteWriter header(picture);
        header.U32(40);  // BITMAPINFOHEADER
        header.U32(uint32_t(n));
        header.U32(uint32_t(2 * n));
        header.U16(1);
        header.U16(32);
        for (int i = 0; i < 6; ++i) header.U32(0);
        std::vector<uint8_t> row(size_t(n) * 4), mask(maskStride * size_t(n), 0);
        for (int y = n - 1; y >= 0; --y) {  // bottom row first
            PngRow(layer, y, row.data());
            for (int x = 0; x < n; ++x) {
                const uint8_t* p = &row[size_t(x) * 4];
                picture.insert(picture.end(), {p[2], p[1], p[0], p[3]});
                // Transparent where nothing of the icon is.
                if (p[3] == 0) mask[size_t(n - 1 - y) * maskStride + size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
            }
        }
        picture.insert(picture.end(), mask.begin(), mask.end());
        file.U8(uint8_t(n == 256 ? 0 : n));  // 0 stands for 256
        file.U8(uint8_t(n == 256 ? 0 : n));
        file.U8(0);  // no palette
        file.U8(0);
        file.U16(1);   // planes
        file.U16(32);  // bits a pixel
        file.U32(uint32_t(picture.size()));
        file.U32(uint32_t(offset));
        offset += picture.size();
        pictures.push_back(std::move(picture));
    }
    for (const auto& picture : pictures) out.insert(out.end(), picture.begin(), picture.end());
    return out;
}

}  // namespace assetgen
