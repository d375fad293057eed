#include "bricks/brick_field.h"

#include "gfx/sheet_map.h"
#include "gfx/surface_copy.h"

BrickCell BrickField[FieldColumns][FieldRows];

void BrickCell::Draw(int column, int row) const {
    const sheets::Rect picture = sheets::BrickPictures.Frame(Kind);
    CopyRect(picture.X, picture.Y, CellX(column), CellY(row), picture.W, picture.H, SourceElements, 1);
}

void BrickCell::Erase(int column, int row) const {
    CopyRect(CellX(column), CellY(row), CellX(column), CellY(row), BrickWidth, BrickHeight, SourceBackdrop, 0);
    ShowRect(CellX(column), CellY(row), CellX(column), CellY(row), BrickWidth, BrickHeight, 0);
}

void RedrawBrick(int column, int row) {
    if (InPlayedField(column, row) && BrickField[column][row].Strength > 0) BrickField[column][row].Draw(column, row);
}
