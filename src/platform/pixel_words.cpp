// The display's word layout, shared by every back end.
#include "platform/platform.h"

namespace plat {
namespace {
WordLayout layout = WordLayout::Rgb565;

uint8_t Widen5(uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
uint8_t Widen6(uint32_t v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); }
}  // namespace

void DisplaySetWordLayout(WordLayout newLayout) { layout = newLayout; }
WordLayout DisplayWordLayout() { return layout; }

void WordToRgb(uint16_t word, WordLayout wordLayout, uint8_t rgb[3]) {
    if (wordLayout == WordLayout::Rgb565) {
        rgb[0] = Widen5((word >> 11) & 31);
        rgb[1] = Widen6((word >> 5) & 63);
        rgb[2] = Widen5(word & 31);
    } else {
        rgb[0] = Widen5((word >> 10) & 31);
        rgb[1] = Widen5((word >> 5) & 31);
        rgb[2] = Widen5(word & 31);
    }
}

}  // namespace plat
