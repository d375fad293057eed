#include "platform/web/rgba_page.h"

#include <algorithm>
#include <cstring>

namespace plat::web {

void RgbaPage::BuildTable(WordLayout layout) {
    table_.resize(65536);
    for (uint32_t word = 0; word < 65536; ++word) {
        uint8_t rgb[3];
        WordToRgb(static_cast<uint16_t>(word), layout, rgb);
        const uint8_t rgba[4] = {rgb[0], rgb[1], rgb[2], 255};
        std::memcpy(&table_[word], rgba, 4);
    }
    tableLayout_ = layout;
}

Rect RgbaPage::Convert(const Surface& surface, WordLayout layout, const Rect& area) {
    if (table_.empty() || layout != tableLayout_) BuildTable(layout);
    if (surface.Width != width_ || surface.Height != height_) {
        width_ = std::max(surface.Width, 0);
        height_ = std::max(surface.Height, 0);
        bytes_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4, 0);
    }
    const Rect clip{std::max(area.Left, 0), std::max(area.Top, 0), std::min(area.Right, width_),
                    std::min(area.Bottom, height_)};
    // A surface whose words do not cover its rows is refused whole.
    const size_t needed = static_cast<size_t>(surface.PitchWords) * static_cast<size_t>(height_);
    if (clip.Left >= clip.Right || clip.Top >= clip.Bottom || surface.PitchWords < width_ ||
        surface.Words.size() < needed)
        return Rect{};
    for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
        const uint16_t* in = surface.Words.data() + static_cast<size_t>(y) * surface.PitchWords;
        uint8_t* out = bytes_.data() + (static_cast<size_t>(y) * width_) * 4;
        for (int32_t x = clip.Left; x < clip.Right; ++x) std::memcpy(out + size_t(x) * 4, &table_[in[x]], 4);
    }
    return clip;
}

}  // namespace plat::web
