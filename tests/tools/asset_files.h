// The generated files, made at most once per test program and only as far
// as a test needs them: ctest runs each test in a process of its own.
#pragma once

#include <string>
#include <vector>

#include "assets.h"

namespace generated {

const std::vector<assetgen::Picture>& Pictures();
const std::vector<assetgen::Sound>& Sounds();
const assetgen::Image& Art(const std::string& name);
const assetgen::Sound& SoundNamed(const std::string& name);
// The bytes of one file as written into the asset folder.
const std::vector<uint8_t>& File(const std::string& name);

}  // namespace generated
