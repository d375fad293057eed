#include "bricks/brick_field.h"

#include "gfx/surface_copy.h"

BrickCell BrickField[FieldColumns][FieldRows];

namespace {
constexpr int32_t SheetX = 314;
constexpr int32_t SheetTop = 1;
constexpr int32_t SheetPitch = 24;
}  // namespace

void BrickCell::Draw(int column, int row) const {
    CopyRect(SheetX, SheetPitch * Kind + SheetTop, CellX(column), CellY(row), BrickWidth, BrickHeight, SourceElements,
             1);
}

void BrickCell::Erase(int column, int row) const {
    CopyRect(CellX(column), CellY(row), CellX(column), CellY(row), BrickWidth, BrickHeight, SourceBackdrop, 0);
    ShowRect(CellX(column), CellY(row), CellX(column), CellY(row), BrickWidth, BrickHeight, 0);
}

void RedrawBrick(int column, int row) {
    if (InPlayedField(column, row) && BrickField[column][row].Strength > 0) BrickField[column][row].Draw(column, row);
}
