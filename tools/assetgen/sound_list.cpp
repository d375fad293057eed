// Which sound goes in which file, and how much of each file the game reads.
#include "assets.h"
#include "audio.h"

namespace assetgen {

std::vector<SoundRecipe> SoundRecipes() {
    constexpr uint32_t second = 176400;  // bytes of 44.1 kHz 16-bit stereo
    return {
        {"brick_high_ping.voc", [] { return BrickPing(true); }, 2 * second},
        {"brick_low_ping.voc", [] { return BrickPing(false); }, 2 * second},
        {"paddle_ping.voc", PaddlePing, 2 * second},
        {"crash.voc", Crash, 6 * second},
        {"fanfare.voc", Fanfare, 6 * second},
        {"expand.voc", ExpandSweep, 2 * second},
        {"warp2.voc", WarpWhoosh, 5 * second},
        {"titles.voc", TitleMusic, 39 * second},
        {"ships1.voc", IntroMusic, 15 * second},
        {"gameover.voc", GameOverJingle, 7 * second},
        {"shrink.voc", ShrinkSweep, 3 * second},
        {"lasers.voc", LaserZap, 246960},
        {"bonus.voc", BonusChime, 2 * second},
    };
}

std::vector<Sound> MakeAllSounds() {
    std::vector<Sound> sounds;
    for (const SoundRecipe& r : SoundRecipes()) sounds.push_back({r.Name, r.Make(), r.ByteBudget});
    return sounds;
}

}  // namespace assetgen
