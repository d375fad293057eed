#include "assets.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "art.h"
#include "audio.h"
#include "bmp_writer.h"
#include "gfx/sheet_map.h"
#include "voc_writer.h"

namespace assetgen {

namespace {

// A picture that two files are drawn on, drawn once for both by whichever
// of them comes first (possibly on another thread): the intro's sky is a
// picture of its own and the ground of the ships' sheet; the walls stand on
// the walls' sheet and behind the exit gate's frames.
struct SharedPicture {
    explicit SharedPicture(Image (*draw)()) : Draw(draw) {}
    Image (*Draw)();
    std::once_flag Once;
    Image Picture;
    const Image& Get() {
        std::call_once(Once, [this] { Picture = Draw(); });
        return Picture;
    }
};

std::vector<std::pair<std::string, std::function<Image()>>> PictureWork() {
    auto clouds = std::make_shared<SharedPicture>(DrawClouds);
    auto walls = std::make_shared<SharedPicture>(DrawWalls);
    std::vector<std::pair<std::string, std::function<Image()>>> work = {
        {"ELEMENTS.DAT", [walls] { return DrawElementsSheet(walls->Get()); }},
        {"BELEMNTS.DAT", [walls] { return DrawBElementsSheet(walls->Get()); }},
        {"TITLES.DAT", DrawTitle},
        {"CLOUDS.DAT", [clouds] { return clouds->Get(); }},
        {"SHIPS1.DAT", [clouds] { return DrawShipsSheet(clouds->Get()); }},
    };
    for (int i = 0; i < sheets::RoundPictureCount; ++i) {
        work.push_back({"LEVEL" + std::to_string(i + 1) + ".GRA", [i] { return DrawBackdrop(i); }});
    }
    return work;
}

std::vector<uint8_t> EncodeSound(const Sound& s) {
    if (VocBytesNeeded(s.Samples.size()) > s.ByteBudget) {
        throw std::length_error(s.Name + " does not fit the bytes the game reads of it");
    }
    return EncodeVoc(s.Samples);
}

}  // namespace

std::vector<Picture> DrawAllPictures() {
    const auto work = PictureWork();
    // The pictures are independent and each is deterministic on its own, so
    // they are drawn side by side on every core the build machine has.
    std::vector<Picture> pictures(work.size());
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i; (i = next++) < work.size();) pictures[i] = {work[i].first, work[i].second()};
    };
    unsigned count = std::max(1u, std::min(std::thread::hardware_concurrency(), unsigned(work.size())));
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < count; ++t) threads.emplace_back(worker);
    worker();
    for (std::thread& t : threads) t.join();
    return pictures;
}

std::vector<AssetFile> EncodeAll(const std::vector<Picture>& pictures, const std::vector<Sound>& sounds) {
    std::vector<AssetFile> files;
    for (const Picture& p : pictures) files.push_back({p.Name, EncodeBmp(p.Art)});
    for (const Sound& s : sounds) files.push_back({s.Name, EncodeSound(s)});
    return files;
}

std::vector<AssetJob> AllAssetJobs() {
    std::vector<AssetJob> jobs;
    for (const auto& picture : PictureWork()) {
        jobs.push_back({picture.first, [draw = picture.second] { return EncodeBmp(draw()); }});
    }
    for (const SoundRecipe& r : SoundRecipes()) {
        jobs.push_back({r.Name, [r] { return EncodeSound(Sound{r.Name, r.Make(), r.ByteBudget}); }});
    }
    return jobs;
}

}  // namespace assetgen
