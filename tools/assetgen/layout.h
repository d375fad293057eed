// Where every picture sits on its sheet: the game copies these rectangles.
#pragma once

namespace assetgen {

struct Rect {
    int X, Y, W, H;
};

constexpr int SheetWidth = 800;
constexpr int SheetHeight = 600;
constexpr int ShipsWidth = 1424;

// ELEMENTS.DAT
constexpr int CapsuleColumns = 5;
constexpr int CapsuleFrames = 13;
constexpr int CapsuleWidth = 50;
constexpr int CapsulePitch = 22;
constexpr Rect CapsuleFrame(int column, bool lowerBlock, int frame) {
    return {1 + 52 * column, (lowerBlock ? 287 : 1) + CapsulePitch * frame, CapsuleWidth, lowerBlock ? 20 : 21};
}
constexpr int BrickKinds = 9;
constexpr int BrickWidth = 47;
constexpr int BrickHeight = 23;
constexpr Rect BrickRect(int kind) { return {314, 1 + 24 * kind, BrickWidth, BrickHeight}; }

constexpr int PaddleRows = 5;
constexpr int PaddleWidth = 110;
constexpr int PaddleHeight = 19;
constexpr int PaddleFramePitch = 21;
// Rows 1 normal, 2 laser, 3 catch, 4 wide, 5 narrow.
constexpr int PaddleRowBase(int row) {
    constexpr int bases[] = {0, 126, 231, 336, 462};
    return bases[row - 1];
}
constexpr int PaddleFramesInRow(int row) { return row == 1 || row == 4 || row == 5 ? 6 : 5; }
constexpr Rect PaddleRect(int row, int frame) {
    return {363, PaddleRowBase(row) + PaddleFramePitch * frame + 1, PaddleWidth, PaddleHeight};
}

constexpr int ExplosionFrames = 12;
constexpr Rect ExplosionRect(int frame) { return {frame < 6 ? 476 : 613, 1 + 87 * (frame % 6), 135, 85}; }
constexpr Rect BallRect{750, 1, 10, 10};
constexpr Rect LaserRect{750, 13, 6, 19};
constexpr int GateFrames = 9;
constexpr Rect GateRect(int frame) { return {750, 37 + 56 * frame, 17, 53}; }
// The gate is drawn here on screen, over the right wall.
constexpr int GateScreenX = 651;
constexpr int GateScreenY = 544;

// BELEMNTS.DAT; the walls are copied to the same place on screen.
constexpr Rect LeftWallRect{8, 6, 18, 592};
constexpr Rect TopWallRect{26, 6, 624, 19};
constexpr Rect RightWallRect{650, 6, 18, 592};
constexpr Rect BannerRect{37, 37, 219, 34};
constexpr int GlyphSlots = 20;
constexpr Rect GlyphRect(int slot) { return {6 + 31 * slot, 73, 29, 34}; }
constexpr Rect GameOverRect{106, 123, 449, 436};

// LEVEL*.GRA: only this much of a round picture is ever shown, at (17, 17).
constexpr int BackdropCount = 11;
constexpr Rect BackdropShown{0, 0, 645, 583};
constexpr int BackdropScreenX = 17;
constexpr int BackdropScreenY = 17;

// SHIPS1.DAT
constexpr Rect ShipRect{0, 0, 498, 298};
constexpr Rect CaptionRect[3] = {{0, 299, 608, 66}, {0, 367, 783, 98}, {0, 467, 641, 62}};
constexpr Rect CraftRect{87, 531, 22, 21};
constexpr Rect FarCraftRect{1, 531, 84, 13};
constexpr int PanelFrames = 12;
constexpr Rect PanelFrame(int i) { return {611 + 203 * (i % 4), 1 + 121 * (i / 4), 200, 119}; }
constexpr Rect PanelRestRect{785, 364, 200, 119};
constexpr int HatchFrames = 6;
constexpr Rect HatchFrame(int m) { return {988 + 122 * (m % 3), 365 + 70 * (m / 3), 120, 68}; }
constexpr int LightFrames = 6;
constexpr Rect LightFrame(int i) { return {645 + 122 * i, 505, 120, 68}; }
// Where the intro puts things on screen, which the pictures are made to fit.
constexpr int ShipFinalX = 169;
constexpr int ShipFinalY = 287;
constexpr int PanelScreenX = 40;
constexpr int PanelScreenY = 120;
constexpr int HatchScreenX = 373;
constexpr int HatchScreenY = 276;

}  // namespace assetgen
