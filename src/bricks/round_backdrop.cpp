#include "bricks/round_backdrop.h"

#include <string>

#include "gfx/assets.h"
#include "gfx/bitmap.h"
#include "gfx/sheet_map.h"
#include "gfx/surfaces.h"

namespace {
constexpr int32_t PictureCount = sheets::RoundPictureCount;

// Wide enough that no round number overflows on the way.
int32_t CycleOfEleven(int32_t round) {
    return static_cast<int32_t>(((int64_t{round} - 1) % PictureCount + PictureCount) % PictureCount + 1);
}
}  // namespace

int32_t RoundPictureNumber(int32_t round) {
    // Rounds 1 to 22 and 24 to 34 take the pictures in turn; round 23 and
    // those past 34 name none and keep the turn of eleven instead of showing
    // an empty backdrop.
    if (round >= 24 && round <= 34) return round - 23;
    return CycleOfEleven(round);
}

void LoadRoundBackdrop(int32_t round) {
    const std::string file = AssetPath(("LEVEL" + std::to_string(RoundPictureNumber(round)) + ".GRA").c_str());
    LoadBmp(AssetImage, file.c_str());
    UploadImage(AssetImage, RoundArtSurface, 1600);
    FreeBmp(AssetImage);
}
