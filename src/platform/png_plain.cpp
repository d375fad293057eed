#include "platform/png_plain.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace plat::png {
namespace {

constexpr size_t MaxFileBytes = size_t{1} << 30;
constexpr size_t StoredBlockMax = 65535;  // a stored deflate block's length field

uint32_t Crc32(const uint8_t* bytes, size_t count, uint32_t crc = 0) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < count; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void Big32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void Chunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    Big32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Big32(out, Crc32(out.data() + typeAt, 4 + data.size()));
}

}  // namespace

std::vector<uint8_t> EncodePlain(int32_t width, int32_t height, int channels, const uint8_t* pixels) {
    if (width <= 0 || height <= 0 || pixels == nullptr || (channels != 3 && channels != 4)) return {};
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(channels);
    const size_t rows = static_cast<size_t>(height);
    // Each row gains its filter byte; each block of the stream, five bytes.
    if (rowBytes + 1 > MaxFileBytes / rows) return {};
    const size_t raw = (rowBytes + 1) * rows;
    if (raw + (raw / StoredBlockMax + 1) * 5 + 128 > MaxFileBytes) return {};

    std::vector<uint8_t> filtered;
    filtered.reserve(raw);
    for (size_t y = 0; y < rows; ++y) {
        filtered.push_back(0);  // no filter
        filtered.insert(filtered.end(), pixels + y * rowBytes, pixels + (y + 1) * rowBytes);
    }

    // A zlib stream of stored blocks, then the Adler-32 of the raw bytes.
    std::vector<uint8_t> stream = {0x78, 0x01};
    stream.reserve(raw + (raw / StoredBlockMax + 1) * 5 + 6);
    uint32_t a = 1, b = 0;
    for (size_t at = 0; at < raw;) {
        const size_t length = std::min(StoredBlockMax, raw - at);
        const bool last = at + length == raw;
        stream.push_back(last ? 1 : 0);
        const auto len = static_cast<uint16_t>(length), nlen = static_cast<uint16_t>(~len);
        stream.insert(stream.end(), {static_cast<uint8_t>(len), static_cast<uint8_t>(len >> 8),
                                     static_cast<uint8_t>(nlen), static_cast<uint8_t>(nlen >> 8)});
        for (size_t i = at; i < at + length; ++i) {
            a = (a + filtered[i]) % 65521;
            b = (b + a) % 65521;
        }
        stream.insert(stream.end(), filtered.begin() + static_cast<std::ptrdiff_t>(at),
                      filtered.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    }
    Big32(stream, b << 16 | a);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    Big32(header, static_cast<uint32_t>(width));
    Big32(header, static_cast<uint32_t>(height));
    // 8 bits, RGB or RGBA, deflate, no filter method, no interlace
    header.insert(header.end(), {8, static_cast<uint8_t>(channels == 4 ? 6 : 2), 0, 0, 0});
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", stream);
    Chunk(out, "IEND", {});
    return out;
}

}  // namespace plat::png
