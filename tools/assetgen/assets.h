// Every file the game reads, drawn or synthesised in memory.
#pragma once

#include <cstdint>
#include <functional>
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

// How each sound is made, and how much of its file the game reads.
struct SoundRecipe {
    std::string Name;
    std::function<std::vector<int16_t>()> Make;
    uint32_t ByteBudget;
};
std::vector<SoundRecipe> SoundRecipes();

// Every file as a job of its own, in EncodeAll's order: for a caller that
// shows its progress between files (the browser, on one thread).
struct AssetJob {
    std::string Name;
    std::function<std::vector<uint8_t>()> Make;
};
std::vector<AssetJob> AllAssetJobs();

}  // namespace assetgen
