// Small voice files made by the tests themselves.
#pragma once

#include <cstdint>
#include <vector>

#include "support/scratch_dir.h"

namespace testing_support {

// A voice file whose first block starts at `headerSize` and carries the
// given 16-bit samples followed by four bytes of silence.
inline std::vector<uint8_t> MakeVoc(const std::vector<int16_t>& samples, uint8_t headerSize = 26) {
    const char signature[] = "Creative Voice File\x1A";
    std::vector<uint8_t> b(headerSize, 0);
    for (size_t i = 0; i < 20 && i < b.size(); ++i) b[i] = static_cast<uint8_t>(signature[i]);
    b[20] = headerSize;
    const uint32_t length = static_cast<uint32_t>(2 + samples.size() * 2 + 4);
    b.push_back(1);  // sound data
    b.push_back(static_cast<uint8_t>(length));
    b.push_back(static_cast<uint8_t>(length >> 8));
    b.push_back(static_cast<uint8_t>(length >> 16));
    b.push_back(0xD3);  // time constant and packing code, not read
    b.push_back(0x00);
    for (int16_t s : samples) {
        b.push_back(static_cast<uint8_t>(s));
        b.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
    }
    b.insert(b.end(), 4, 0);
    return b;
}

}  // namespace testing_support
