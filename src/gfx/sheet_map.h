// Where every picture lies on the art surfaces. The game copies these
// rectangles and assetgen draws the art into them, both from this one table,
// so the art and the code cannot drift apart. Plain numbers: nothing here
// draws. Where pictures go on the screen is gfx/screen_map.h.
#pragma once

#include <cstdint>

namespace sheets {

// A rectangle of a surface: its top-left corner and its size, in pixels.
struct Rect {
    int32_t X, Y, W, H;
};

// Frames of one size in a line: frame i lies i strides on from the first.
// Frame() is always inlined, so that a copy from the sheet compiles to the
// same code as one with the numbers written in.
struct Strip {
    Rect First;
    int32_t StrideX, StrideY;
    int32_t Count;

    [[gnu::always_inline]] constexpr Rect Frame(int32_t i) const {
        return {First.X + StrideX * i, First.Y + StrideY * i, First.W, First.H};
    }
};

// Frames of one size laid out row by row, `PerRow` to a row.
struct Grid {
    Rect First;
    int32_t StrideX, StrideY;
    int32_t PerRow;
    int32_t Count;

    [[gnu::always_inline]] constexpr Rect Frame(int32_t i) const {
        return {First.X + StrideX * (i % PerRow), First.Y + StrideY * (i / PerRow), First.W, First.H};
    }
};

// Every art surface is 800 x 600 but the intro's, which is wider.
constexpr int32_t SurfaceWidth = 800;
constexpr int32_t SurfaceHeight = 600;
constexpr int32_t ShipsSurfaceWidth = 1424;

// ---------------------------------------------------------------------------
// ElementsSurface (ELEMENTS.DAT)

// Capsule animation: five colour columns side by side, each holding two
// blocks of 13 frames, the upper one for kinds 1, 3, 5, 7, 9 and 10, the
// lower one for kinds 2, 4, 6 and 8. Strips of column 0.
constexpr int32_t CapsuleColumns = 5;
constexpr int32_t CapsuleColumnStride = 52;
constexpr Strip CapsuleUpperBlock{{1, 1, 50, 21}, 0, 22, 13};
constexpr Strip CapsuleLowerBlock{{1, 287, 50, 20}, 0, 22, 13};

constexpr int32_t CapsuleColumnX(int32_t column) { return CapsuleUpperBlock.First.X + CapsuleColumnStride * column; }
constexpr Rect CapsuleFrame(int32_t column, bool lowerBlock, int32_t frame) {
    const Rect r = (lowerBlock ? CapsuleLowerBlock : CapsuleUpperBlock).Frame(frame);
    return {CapsuleColumnX(column), r.Y, r.W, r.H};
}

// Brick pictures, one for each Kind, 0 to 8.
constexpr Strip BrickPictures{{314, 1, 47, 23}, 0, 24, 9};

// Paddle images: five image rows (1 normal, 2 laser, 3 catch, 4 wide,
// 5 narrow) of frames 21 apart. PaddleImage is row 1's frame 0; frame f of
// row r lies at y PaddleRowBase[r - 1] + 21 f + PaddleImage.Y.
constexpr Rect PaddleImage{363, 1, 110, 19};
constexpr int32_t PaddleFrameStride = 21;
constexpr int32_t PaddleRows = 5;
constexpr int32_t PaddleRowBase[PaddleRows] = {0, 126, 231, 336, 462};
// The frames each row has room for before the next row.
constexpr int32_t PaddleFramesInRow[PaddleRows] = {6, 5, 5, 6, 6};

constexpr Rect PaddleFrame(int32_t row, int32_t frame) {
    return {PaddleImage.X, PaddleRowBase[row - 1] + PaddleFrameStride * frame + PaddleImage.Y, PaddleImage.W,
            PaddleImage.H};
}

// The explosion of a lost life: twelve frames in two halves of six.
constexpr Strip ExplosionHalves[2] = {{{476, 1, 135, 85}, 0, 87, 6}, {{613, 1, 135, 85}, 0, 87, 6}};
constexpr int32_t ExplosionFrames = 2 * ExplosionHalves[0].Count;

constexpr Rect ExplosionFrame(int32_t frame) {
    return ExplosionHalves[frame / ExplosionHalves[0].Count].Frame(frame % ExplosionHalves[0].Count);
}

constexpr Rect BallImage{750, 1, 10, 10};
constexpr Rect LaserShot{750, 13, 6, 19};
constexpr Strip ExitGateFrames{{750, 37, 17, 53}, 0, 56, 9};

// ---------------------------------------------------------------------------
// BElementsSurface (BELEMNTS.DAT)

// The walls of the playfield lie where they are shown: the game copies each
// to the same place on the screen.
constexpr Rect LeftWall{8, 6, 18, 592};
constexpr Rect TopWall{26, 6, 624, 19};
constexpr Rect RightWall{650, 6, 18, 592};
// In the order they are drawn.
constexpr Rect Walls[3] = {LeftWall, TopWall, RightWall};

constexpr Rect RoundBanner{37, 37, 219, 34};
// Number glyph slots 0 to 19; slot 0 lies across the left wall.
constexpr Strip GlyphSlots{{6, 73, 29, 34}, 31, 0, 20};
constexpr Rect GameOverPicture{106, 123, 449, 436};

// ---------------------------------------------------------------------------
// RoundArtSurface (LEVEL*.GRA): eleven round pictures, LEVEL1 to LEVEL11, of
// which only this part is shown.

constexpr int32_t RoundPictureCount = 11;
constexpr Rect RoundArtShown{0, 0, 645, 583};

// ---------------------------------------------------------------------------
// TitlesSurface (TITLES.DAT) and CloudsSurface (CLOUDS.DAT): shown whole.

constexpr Rect TitlePicture{0, 0, SurfaceWidth, SurfaceHeight};
constexpr Rect IntroSky{0, 0, SurfaceWidth, SurfaceHeight};

// ---------------------------------------------------------------------------
// ShipsSurface (SHIPS1.DAT): the intro's pictures.

constexpr Rect Ship{0, 0, 498, 298};
constexpr Rect FirstCaption{0, 299, 608, 66};
constexpr Rect SecondCaption{0, 367, 783, 98};
constexpr Rect ThirdCaption{0, 467, 641, 62};
constexpr Rect Captions[3] = {FirstCaption, SecondCaption, ThirdCaption};
constexpr Rect Craft{87, 531, 22, 21};
constexpr Rect FarCraft{1, 531, 84, 13};
// The briefing panel opening, P0 to P11, and the frame it rests on.
constexpr Grid PanelFrames{{611, 1, 200, 119}, 203, 121, 4, 12};
constexpr Rect PanelRest{785, 364, 200, 119};
// The launch ring above the ship: opening (H0 to H5), then flashing and
// closing (L0 to L5).
constexpr Grid HatchFrames{{988, 365, 120, 68}, 122, 70, 3, 6};
constexpr Strip LightFrames{{645, 505, 120, 68}, 122, 0, 6};

}  // namespace sheets
