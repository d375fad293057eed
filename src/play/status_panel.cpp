#include "play/status_panel.h"

#include <cstdio>
#include <cstring>

#include "gfx/pixel_packing.h"
#include "gfx/screen_map.h"
#include "gfx/surface_copy.h"
#include "gfx/surfaces.h"
#include "platform/platform.h"
#include "play/play_globals.h"

int32_t Lives = AtStart::Lives;
int32_t Score = AtStart::Score;
int32_t RoundNumber = AtStart::RoundNumber;

namespace {

uint16_t Colour(uint8_t red, uint8_t green, uint8_t blue) {
    return PackPixel(red, green, blue, DisplayPixelFormat.RgbBitCount, GamePacking);
}

void Text(int32_t y, const char* text, uint16_t colour) {
    plat::DrawText(BackBuffer, screen::PanelTextX, y, text, static_cast<int>(std::strlen(text)), colour);
}

void Number(int32_t y, int32_t value, uint16_t colour) {
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%d", value);
    plat::DrawText(BackBuffer, screen::PanelTextX, y, text, length, colour);
}

}  // namespace

void DrawStatusPanel() {
    constexpr sheets::Rect panel = screen::StatusPanel;
    CopyRect(panel.X, panel.Y, panel.X, panel.Y, panel.W, panel.H, SourceBackdrop, 0);
    const uint16_t white = Colour(255, 255, 255);
    const uint16_t yellow = Colour(255, 255, 0);
    Text(screen::ScoreLabelY, "score: ", white);
    Number(screen::ScoreY, Score, white);
    Text(screen::LivesLabelY, "lives: ", white);
    Number(screen::LivesY, Lives, white);
    Text(screen::RoundLabelY, "round: ", yellow);
    Number(screen::RoundY, RoundNumber, yellow);
}
