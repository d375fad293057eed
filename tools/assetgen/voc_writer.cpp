#include "voc_writer.h"

#include <cstring>
#include <stdexcept>

#include "byte_io.h"

namespace assetgen {

uint32_t VocBytesNeeded(size_t interleavedSamples) {
    return VocHeaderBytes + VocBlockHeadBytes + 2 + uint32_t(interleavedSamples * 2) + VocUnheardBytes;
}

std::vector<uint8_t> EncodeVoc(const std::vector<int16_t>& interleaved) {
    const size_t sampleBytes = interleaved.size() * 2 + VocUnheardBytes;
    const size_t length = 2 + sampleBytes;  // time constant and packing code first
    if (length >= (1u << 24)) throw std::length_error("voice block longer than 24 bits can say");
    std::vector<uint8_t> out;
    out.reserve(VocHeaderBytes + VocBlockHeadBytes + length + 1);
    ByteWriter w(out);
    const char* signature = "Creative Voice File";
    for (size_t i = 0; i < std::strlen(signature); ++i) w.U8(uint8_t(signature[i]));
    w.U8(0x1A);
    w.U16(VocHeaderBytes);
    const uint16_t version = 0x010A;
    w.U16(version);
    w.U16(uint16_t(~version + 0x1234));
    w.U8(1);  // sound data
    w.U24(uint32_t(length));
    // 256 - 1e6 / (channels x rate): the nearest the old rate byte gets to
    // 44.1 kHz stereo. The game plays every voice at that rate regardless.
    w.U8(245);
    w.U8(4);  // 16-bit signed samples
    // The samples written in place, the bulk of the file.
    const size_t at = out.size();
    out.resize(at + interleaved.size() * 2);
    for (size_t i = 0; i < interleaved.size(); ++i) {
        const auto s = uint16_t(interleaved[i]);
        out[at + 2 * i] = uint8_t(s);
        out[at + 2 * i + 1] = uint8_t(s >> 8);
    }
    for (uint32_t i = 0; i < VocUnheardBytes; ++i) w.U8(0);
    w.U8(0);  // terminator block
    return out;
}

}  // namespace assetgen
