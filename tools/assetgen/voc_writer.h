// Creative Voice files holding one block of 44.1 kHz 16-bit stereo samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace assetgen {

constexpr uint32_t VocHeaderBytes = 26;
constexpr uint32_t VocBlockHeadBytes = 4;  // type and 24-bit length
// The game hands the buffer the block's length less six bytes, so the last
// four sample bytes of the block are never heard; they are written as
// silence after the sound.
constexpr uint32_t VocUnheardBytes = 4;

// File bytes for interleaved left/right samples; throws when the block
// length does not fit its 24 bits.
std::vector<uint8_t> EncodeVoc(const std::vector<int16_t>& interleaved);

// How many bytes of a file the block needs to be read whole: the budget a
// file must fit in.
uint32_t VocBytesNeeded(size_t interleavedSamples);

}  // namespace assetgen
