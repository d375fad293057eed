// Where the game puts pictures and text on the 800 x 600 screen, for the
// places that more than the drawing code needs to know: assetgen composes
// some pictures to fit the place they are shown at, and tests look there.
// Plain numbers: nothing here draws.
#pragma once

#include <cstdint>

#include "gfx/sheet_map.h"

namespace screen {

// A screen position: a picture's top-left corner, in pixels.
struct Point {
    int32_t X, Y;
};

// The exit gate, over the lower end of the right wall.
constexpr Point ExitGate{651, 544};

// The status panel right of the playfield: the stretch of backdrop it is
// drawn on, and its six lines of text, all starting at PanelTextX.
constexpr sheets::Rect StatusPanel{670, 9, 100, 400};
constexpr int32_t PanelTextX = 671;
constexpr int32_t ScoreLabelY = 30, ScoreY = 50;
constexpr int32_t LivesLabelY = 85, LivesY = 105;
constexpr int32_t RoundLabelY = 185, RoundY = 205;

// The intro: the ship at rest, the briefing panel and the launch ring above
// the ship.
constexpr Point ShipRest{169, 287};
constexpr Point BriefingPanel{40, 120};
constexpr Point LaunchRing{373, 276};

}  // namespace screen
