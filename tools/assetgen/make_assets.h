// Every file the game reads, made into a folder one at a time with a word
// before each, or some of them handed over as bytes: how the browser makes
// the art at start, showing its progress, so that the download carries none
// of it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace assetgen {

// Writes every file the game reads into `folder` (the in-memory file system),
// calling `before(fraction done, file name)` ahead of each file and once more
// at 1 when all are made; the caller may yield to the page there. False with
// the reason when a file cannot be written.
bool MakeAssets(const std::string& folder, const std::function<void(double, const std::string&)>& before,
                std::string* error);

// The names of every file, in the order MakeAssets makes them.
std::vector<std::string> AssetNames();
// Makes the named files in the order given, handing each one's bytes to
// `made`, which returns false to stop. False with the reason for a name that
// is no file of ours or when `made` stops.
bool MakeEach(const std::vector<std::string>& names,
              const std::function<bool(const std::string&, const std::vector<uint8_t>&)>& made, std::string* error);

}  // namespace assetgen
