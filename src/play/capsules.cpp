#include "play/capsules.h"

#include "bricks/brick_field.h"
#include "gfx/surface_copy.h"

Capsule TheCapsule;

char CapsuleActive = 0;
int32_t CapsuleColumn = 0;
int32_t CapsuleY = 0;

int32_t CapsuleAnimTick = 0;
int32_t CapsulePhase = 0;
int32_t CapsuleFrameY = 0;
int32_t CapsuleSheetX = 0;

namespace {

constexpr int32_t CapsuleWidth = 50, EraseHeight = 20;
constexpr int32_t GateX = 651, GateY = 544;

int32_t ColumnX(int32_t column) { return column * CellPitchX + CellLeft; }

// The bricks in front of a capsule at (column, y): its row and the one above,
// in its column and the next.
void RedrawBricksOver(int32_t column, int32_t y) {
    const int32_t r = y == CellTop ? 0 : (y - CellTop + CellPitchY - 1) / CellPitchY;
    auto draw = [](int32_t c, int32_t row) {
        if (c >= 0 && c < FieldColumns && row >= 0 && row < FieldRows && BrickField[c][row].Strength != 0)
            BrickField[c][row].Draw(c, row);
    };
    draw(column, r);
    draw(column, r - 1);
    if (column < FieldColumns - 1) {
        draw(column + 1, r);
        draw(column + 1, r - 1);
    }
}

bool ErasedBricksShow(int32_t y) { return y >= CellTop && y < 416; }

}  // namespace

void Capsule::Erase(int32_t column, int32_t y) const {
    const int32_t pc = Pos.PrevX, py = Pos.PrevY;
    CopyRect(ColumnX(pc), py, ColumnX(pc), py, CapsuleWidth, EraseHeight, SourceBackdrop, 0);
    CopyRect(ColumnX(column), y, ColumnX(column), y, CapsuleWidth, EraseHeight, SourceBackdrop, 0);
    // KEEP AS DESIGNED: when y is out of bounds, the old place is not repaired either.
    if (!ErasedBricksShow(y)) return;
    RedrawBricksOver(column, y);
    if (ErasedBricksShow(py)) RedrawBricksOver(column, py);
}

void DrawExitGate(int32_t frame, int32_t mode) {
    if (mode == 1) {
        CopyRect(750, 37 + 56 * frame, GateX, GateY, 17, 53, SourceElements, 0);
    } else if (mode == 0) {
        CopyRect(GateX, GateY, GateX, GateY, 17, 54, SourceBackdrop, 0);
        PresentFrame();
        CopyRect(GateX, GateY, GateX, GateY, 17, 54, SourceBackdrop, 0);
    }
}
