// Which sound goes in which file; how much of each the game reads comes from
// the game's own list of voice files.
#include <stdexcept>
#include <string>
#include <utility>

#include "assets.h"
#include "audio.h"
#include "sound/voice_files.h"

namespace assetgen {

namespace {

uint32_t BudgetOf(const std::string& name) {
    for (const VoiceFileBudget& file : VoiceFiles)
        if (name == file.FileName) return file.ByteBudget;
    throw std::logic_error(name + " is no voice file the game reads");
}

}  // namespace

std::vector<SoundRecipe> SoundRecipes() {
    const std::pair<const char*, std::function<Samples()>> recipes[] = {
        {"brick_high_ping.voc", [] { return BrickPing(true); }},
        {"brick_low_ping.voc", [] { return BrickPing(false); }},
        {"paddle_ping.voc", PaddlePing},
        {"crash.voc", Crash},
        {"fanfare.voc", Fanfare},
        {"expand.voc", ExpandSweep},
        {"warp2.voc", WarpWhoosh},
        {"titles.voc", TitleMusic},
        {"ships1.voc", IntroMusic},
        {"gameover.voc", GameOverJingle},
        {"shrink.voc", ShrinkSweep},
        {"lasers.voc", LaserZap},
        {"bonus.voc", BonusChime},
    };
    std::vector<SoundRecipe> list;
    for (const auto& [name, make] : recipes) list.push_back({name, make, BudgetOf(name)});
    return list;
}

std::vector<Sound> MakeAllSounds() {
    std::vector<Sound> sounds;
    for (const SoundRecipe& r : SoundRecipes()) sounds.push_back({r.Name, r.Make(), r.ByteBudget});
    return sounds;
}

}  // namespace assetgen
