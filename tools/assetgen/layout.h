// Where the game puts things on screen, which some pictures are composed to
// fit. Where each picture lies on its sheet is the game's own table,
// gfx/sheet_map.h.
#pragma once

namespace assetgen {

// The exit gate is drawn here on screen, over the right wall.
constexpr int GateScreenX = 651;
constexpr int GateScreenY = 544;

// LEVEL*.GRA: eleven round pictures.
constexpr int BackdropCount = 11;

// The intro's ship at rest, the briefing panel and the launch ring.
constexpr int ShipFinalX = 169;
constexpr int ShipFinalY = 287;
constexpr int PanelScreenX = 40;
constexpr int PanelScreenY = 120;
constexpr int HatchScreenX = 373;
constexpr int HatchScreenY = 276;

}  // namespace assetgen
