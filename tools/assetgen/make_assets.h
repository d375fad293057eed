// Every file the game reads, made into a folder one at a time with a word
// before each: how the browser makes the art at start, showing its progress,
// so that the download carries none of it.
#pragma once

#include <functional>
#include <string>

namespace assetgen {

// Writes every file the game reads into `folder` (the in-memory file system),
// calling `before(fraction done, file name)` ahead of each file and once more
// at 1 when all are made; the caller may yield to the page there. False with
// the reason when a file cannot be written.
bool MakeAssets(const std::string& folder, const std::function<void(double, const std::string&)>& before,
                std::string* error);

}  // namespace assetgen
