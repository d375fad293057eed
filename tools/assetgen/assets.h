// Every file the game reads, drawn or synthesised in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

namespace assetgen {

struct Picture {
    std::string Name;
    Image Art;
};

struct Sound {
    std::string Name;
    std::vector<int16_t> Samples;  // interleaved left, right at 44.1 kHz
    uint32_t ByteBudget;           // how much of the file the game reads
};

struct AssetFile {
    std::string Name;
    std::vector<uint8_t> Bytes;
};

std::vector<Picture> DrawAllPictures();
std::vector<Sound> MakeAllSounds();
// Encodes pictures as bitmaps and sounds as voice files, in that order.
std::vector<AssetFile> EncodeAll(const std::vector<Picture>& pictures, const std::vector<Sound>& sounds);

}  // namespace assetgen
