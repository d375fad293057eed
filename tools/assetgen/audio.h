// The game's sounds, each finished as interleaved 16-bit stereo samples.
#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

using Samples = std::vector<int16_t>;

// Effects.
Samples BrickPing(bool high);
Samples PaddlePing();
Samples Crash();
Samples ExpandSweep();
Samples ShrinkSweep();
Samples WarpWhoosh();
Samples LaserZap();
Samples BonusChime();

// Jingles and music.
Samples Fanfare();
Samples GameOverJingle();
Samples TitleMusic();
Samples IntroMusic();

}  // namespace assetgen
