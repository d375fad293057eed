#include "play/lasers.h"

#include "bricks/brick_field.h"
#include "gfx/sheet_map.h"
#include "gfx/surface_copy.h"
#include "play/handoffs.h"
#include "play/play_globals.h"
#include "sound/voice.h"

LaserPair LaserPairA;
LaserPair LaserPairB;
int32_t LaserCooldown = AtStart::LaserCooldown;

namespace {

constexpr int32_t Cooldown = 20;
constexpr int32_t LeftShotX = 15, RightShotX = 87;
// Each shot tests the cell two pixels in from its left edge.
constexpr int32_t ProbeInset = 2;
constexpr int32_t ShotWidth = sheets::LaserShot.W, ShotHeight = sheets::LaserShot.H, EraseHeight = 30;
constexpr int32_t Rise = 5;
constexpr int32_t TopHeight = 525;

// 30 rows: the image drawn two frames back sits 10 pixels lower.
void EraseShot(int32_t x, int32_t height) {
    CopyRect(x, PaddleY - height, x, PaddleY - height, ShotWidth, EraseHeight, SourceBackdrop, 0);
}

// Gone from both pages at once rather than lingering until the next flip.
void VanishShot(int32_t x, int32_t height) {
    EraseShot(x, height);
    ShowRect(x, PaddleY - height, x, PaddleY - height, ShotWidth, EraseHeight, 0);
}

void DrawShot(int32_t x, int32_t height) {
    CopyRect(sheets::LaserShot.X, sheets::LaserShot.Y, x, PaddleY - height, ShotWidth, ShotHeight, SourceElements, 1);
}

// The brick a shot at `height` reaches with its probe at `probeX`: one point
// of strength off, the shot gone, a brick at 0 broken, with no points.
void Strike(int32_t probeX, int32_t shotX, int32_t& height) {
    int32_t column = 0;
    for (int32_t i = 0; i < FieldColumns; ++i)
        if (CellLeft + CellPitchX * i < probeX) column = i;
    // KEEP AS DESIGNED: the row search stops at row 14, so a shot still far
    // below the field tests row 14 and strikes a brick there before it shows.
    int32_t row = 0;
    for (int32_t j = 0; j < PlayedRows; ++j)
        if (111 + CellPitchY * j < 600 - height) row = j;
    BrickCell& brick = BrickField[column][row];
    if (!(brick.Strength > 0)) return;
    brick.Strength -= 1;
    VanishShot(shotX, height);
    height = 0;
    if (brick.Strength == 0) {
        brick.Erase(column, row);
        BricksLeft -= 1;
    }
}

void UpdatePair(LaserPair& pair) {
    if (pair.Active != 1) return;
    const int32_t leftX = pair.X + LeftShotX, rightX = pair.X + RightShotX;
    EraseShot(leftX, pair.LeftHeight);
    EraseShot(rightX, pair.RightHeight);
    if (pair.LeftHeight != 0) DrawShot(leftX, pair.LeftHeight);
    if (pair.RightHeight != 0) DrawShot(rightX, pair.RightHeight);
    // The tests below use the new heights, 5 pixels above the image just drawn.
    if (pair.LeftHeight != 0) pair.LeftHeight += Rise;
    if (pair.RightHeight != 0) pair.RightHeight += Rise;
    if (pair.LeftHeight != 0) Strike(leftX + ProbeInset, leftX, pair.LeftHeight);
    if (pair.RightHeight != 0) Strike(rightX + ProbeInset, rightX, pair.RightHeight);
    // Past the top wall the shots leave without effect.
    if (pair.LeftHeight > TopHeight) {
        VanishShot(leftX, pair.LeftHeight);
        pair.LeftHeight = 0;
        pair.Active = 0;
    }
    if (pair.RightHeight > TopHeight) {
        VanishShot(rightX, pair.RightHeight);
        pair.RightHeight = 0;
        pair.Active = 0;
    }
    if (pair.LeftHeight == 0 && pair.RightHeight == 0) pair.Active = 0;
}

void Start(LaserPair& pair, Voice& voice) {
    PlayVoice(voice);
    pair.Active = 1;
    pair.X = PaddleX;
    pair.LeftHeight = 1;
    pair.RightHeight = 1;
    LaserCooldown = Cooldown;
}

}  // namespace

void ResetLasers() {
    LaserPairA = LaserPair{};
    LaserPairB = LaserPair{};
    LaserCooldown = 0;
}

void FireLasers() {
    if (ThePaddle.PaddleKind != PaddleLaser || LaserCooldown != 0) return;
    if (LaserPairA.Active != 1)
        Start(LaserPairA, VoiceLaserA);
    else if (LaserPairB.Active != 1)
        Start(LaserPairB, VoiceLaserB);
}

void UpdateLaserVolleys() {
    if (LaserCooldown != 0) LaserCooldown -= 1;
    UpdatePair(LaserPairA);
    UpdatePair(LaserPairB);
}
