// Little-endian byte output for the file writers.
#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

class ByteWriter {
public:
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}
    void U8(uint8_t v) { out_.push_back(v); }
    void U16(uint16_t v) {
        U8(uint8_t(v));
        U8(uint8_t(v >> 8));
    }
    void U24(uint32_t v) {
        U16(uint16_t(v));
        U8(uint8_t(v >> 16));
    }
    void U32(uint32_t v) {
        U16(uint16_t(v));
        U16(uint16_t(v >> 16));
    }

private:
    std::vector<uint8_t>& out_;
};

}  // namespace assetgen
