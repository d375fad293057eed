// The field of bricks: 13 columns by 16 rows of cells at fixed places.
#pragma once

#include <cstdint>

#include "gfx/sheet_map.h"

constexpr int FieldColumns = 13;
constexpr int FieldRows = 16;  // row 15 is storage only and always empty
constexpr int PlayedRows = 15;

constexpr int32_t CellLeft = 27;
constexpr int32_t CellTop = 79;
constexpr int32_t CellPitchX = 48;
constexpr int32_t CellPitchY = 24;
// A cell is exactly as big as a brick's picture.
constexpr int32_t BrickWidth = sheets::BrickPictures.First.W;
constexpr int32_t BrickHeight = sheets::BrickPictures.First.H;

struct BrickCell {
    int32_t Kind = 0;        // the picture, 0 to 8
    double Strength = 0;     // hits left; a brick exactly while above 0
    int32_t DropChance = 0;  // percent

    // Draws the cell's picture into the back buffer, whatever Strength holds.
    void Draw(int column, int row) const;
    // Wipes the cell from the back buffer and at once from the screen.
    void Erase(int column, int row) const;
};

// Column first: a column's 16 cells lie together.
extern BrickCell BrickField[FieldColumns][FieldRows];

inline int32_t CellX(int column) { return CellLeft + CellPitchX * column; }
inline int32_t CellY(int row) { return CellTop + CellPitchY * row; }

// Whether (column, row) is one of the 195 played cells.
inline bool InPlayedField(int column, int row) {
    return column >= 0 && column < FieldColumns && row >= 0 && row < PlayedRows;
}

// Draws the cell when it is a played cell holding a brick; the guard every
// redraw of a brick goes through.
void RedrawBrick(int column, int row);
