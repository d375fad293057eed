#include "asset_files.h"

#include <map>
#include <stdexcept>

#include "bmp_writer.h"
#include "voc_writer.h"

namespace generated {

const std::vector<assetgen::Picture>& Pictures() {
    static const auto pictures = assetgen::DrawAllPictures();
    return pictures;
}

const std::vector<assetgen::Sound>& Sounds() {
    static const auto sounds = assetgen::MakeAllSounds();
    return sounds;
}

const assetgen::Image& Art(const std::string& name) {
    for (const auto& p : Pictures()) {
        if (p.Name == name) return p.Art;
    }
    throw std::out_of_range(name);
}

const assetgen::Sound& SoundNamed(const std::string& name) {
    for (const auto& s : Sounds()) {
        if (s.Name == name) return s;
    }
    throw std::out_of_range(name);
}

const std::vector<uint8_t>& File(const std::string& name) {
    static std::map<std::string, std::vector<uint8_t>> files;
    auto it = files.find(name);
    if (it != files.end()) return it->second;
    bool voice = name.size() > 4 && name.substr(name.size() - 4) == ".voc";
    auto bytes = voice ? assetgen::EncodeVoc(SoundNamed(name).Samples) : assetgen::EncodeBmp(Art(name));
    return files.emplace(name, std::move(bytes)).first->second;
}

}  // namespace generated
