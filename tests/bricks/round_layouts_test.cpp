#include "bricks/round_layouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "bricks/brick_field.h"

namespace {

class RoundLayoutTest : public testing::Test {
protected:
    void TearDown() override { BuildRoundLayout(0); }

    // Values no layout ever writes, so a cell the clear missed stands out.
    static void FillWithJunk() {
        for (auto& column : BrickField) {
            for (BrickCell& cell : column) cell = BrickCell{5, 7, 99};
        }
    }

    static bool IsEmpty(const BrickCell& cell) { return cell.Kind == 0 && cell.Strength == 0 && cell.DropChance == 0; }

    static int CellsWhere(bool (*test)(const BrickCell&)) {
        int count = 0;
        for (const auto& column : BrickField)
            count += static_cast<int>(std::count_if(column, column + FieldRows, test));
        return count;
    }

    static bool IsToBreak(const BrickCell& cell) { return cell.Strength >= 1 && cell.Strength <= 4; }
    static bool IsArmoured(const BrickCell& cell) { return cell.Strength >= 100; }
    static bool IsNotEmpty(const BrickCell& cell) { return !IsEmpty(cell); }
};

TEST_F(RoundLayoutTest, StatedCounts) {
    EXPECT_EQ(BuildRoundLayout(1), 78);
    EXPECT_EQ(BuildRoundLayout(8), 7);
    EXPECT_EQ(BuildRoundLayout(19), 16);
    // Strength 4 bricks count once each.
    EXPECT_EQ(BuildRoundLayout(16), 77);
}

// Every round, built over junk: the count is its breakable bricks, the armour
// matches the figure given beside the picture, each cell is one of the
// character table's pairings with a chance the layouts use, and row 15 stays
// empty.
TEST_F(RoundLayoutTest, EveryRoundIsConsistent) {
    constexpr std::array<int, RoundLayoutCount> Armoured = {0,  0,  40, 0,  0, 14, 0,  32, 14, 24,
                                                            36, 13, 27, 45, 0, 36, 59, 38, 74, 50};
    constexpr std::array<int32_t, 15> UsedChances = {0, 2, 10, 12, 15, 20, 22, 25, 30, 32, 35, 40, 45, 50, 60};
    for (int32_t round = 1; round <= RoundLayoutCount; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        FillWithJunk();
        const int32_t count = BuildRoundLayout(round);
        EXPECT_EQ(count, CellsWhere(IsToBreak));
        EXPECT_EQ(CellsWhere(IsArmoured), Armoured[round - 1]);
        for (int column = 0; column < FieldColumns; ++column) {
            EXPECT_TRUE(IsEmpty(BrickField[column][15])) << "column " << column;
            for (int row = 0; row < PlayedRows; ++row) {
                const BrickCell& cell = BrickField[column][row];
                SCOPED_TRACE(testing::Message() << "cell " << column << ", " << row);
                const double s = cell.Strength;
                if (s == 0) {
                    EXPECT_TRUE(IsEmpty(cell));
                } else if (s == 1) {
                    EXPECT_TRUE(cell.Kind >= 0 && cell.Kind <= 6);
                } else if (s == 2 || s == 3 || s == 4) {
                    EXPECT_EQ(cell.Kind, 8);
                } else {
                    EXPECT_TRUE(s == 30000 || s == 50000) << s;
                    EXPECT_EQ(cell.Kind, 7);
                }
                EXPECT_NE(std::find(UsedChances.begin(), UsedChances.end(), cell.DropChance), UsedChances.end())
                    << cell.DropChance;
            }
        }
    }
}

TEST_F(RoundLayoutTest, LaterRoundLeavesNothingOfEarlierOne) {
    // Round 4 fills ten cells of every played row; round 8 has 7 + 32 bricks.
    BuildRoundLayout(4);
    BuildRoundLayout(8);
    EXPECT_EQ(CellsWhere(IsNotEmpty), 7 + 32);
}

TEST_F(RoundLayoutTest, RoundsWithoutLayoutGiveEmptyFieldAndOne) {
    for (int32_t round : {0, -1, 21, 1000, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        FillWithJunk();
        EXPECT_EQ(BuildRoundLayout(round), 1);
        EXPECT_EQ(CellsWhere(IsNotEmpty), 0);
    }
}

// Cells read off the pictures, chosen next to differing neighbours so that a
// shift by a column or a row, or a chance list laid over the wrong cells,
// shows.
TEST_F(RoundLayoutTest, CellsMatchPictures) {
    struct Expected {
        int32_t Round;
        int Column, Row;
        int32_t Kind;
        double Strength;
        int32_t DropChance;
    };
    constexpr Expected Cells[] = {
        {1, 0, 0, 0, 0, 0},  // the empty top row
        {1, 12, 1, 8, 2, 0},
        {1, 0, 2, 1, 1, 45},
        {1, 6, 6, 6, 1, 45},
        {1, 6, 7, 0, 0, 0},
        // "543210654321." with 45 45 45 45 45 40 40 50 40 45 40 50
        {2, 6, 11, 6, 1, 40},
        {2, 7, 11, 5, 1, 50},
        {2, 8, 11, 4, 1, 40},
        {2, 11, 11, 1, 1, 50},
        {2, 12, 11, 0, 0, 0},
        {2, 11, 12, 8, 2, 0},
        // "000%%%%%%%%%%" with 45 45 45 0...; "%%%%%%%%%%222" with ...0 45 45 45
        {3, 2, 1, 0, 1, 45},
        {3, 3, 1, 7, 30000, 0},
        {3, 9, 5, 7, 30000, 0},
        {3, 10, 5, 2, 1, 45},
        // ".40563.40563." with 60 50 0 50 0 60 40 0 40 0: kind 0 is a brick
        {4, 1, 0, 4, 1, 60},
        {4, 2, 0, 0, 1, 50},
        {4, 3, 0, 5, 1, 0},
        {4, 6, 0, 0, 0, 0},
        {4, 8, 0, 0, 1, 40},
        // ".06534.06534." with 0 35 0 60 0 0 35 0 60 0, the last played row
        {4, 2, 14, 6, 1, 35},
        {4, 10, 14, 3, 1, 60},
        {4, 11, 14, 4, 1, 0},
        // ".bb2bbbbb2bb." with 0 0 50 0 0 0 0 0 50 0 0
        {5, 3, 5, 2, 1, 50},
        {5, 4, 5, 8, 3, 0},
        {5, 9, 5, 2, 1, 50},
        {5, 2, 3, 0, 0, 0},
        {5, 3, 3, 8, 3, 0},
        // "5.6%%%%%%%6.5" with 45 45 0 0 0 45 0 0 0 45 45; "%.%.%.%.%.%.%" with 45 45 0 45 0 45 45
        {6, 6, 6, 7, 30000, 45},
        {6, 7, 6, 7, 30000, 0},
        {6, 10, 6, 6, 1, 45},
        {6, 0, 11, 7, 30000, 45},
        {6, 4, 11, 7, 30000, 0},
        {6, 1, 11, 0, 0, 0},
        // round 8's centre column
        {8, 6, 4, 5, 1, 30},
        {8, 5, 5, 7, 50000, 0},
        {8, 6, 7, 0, 1, 40},
        // ".#.....111222" with 0 25 25 25 45 45 45
        {10, 1, 2, 7, 50000, 0},
        {10, 9, 2, 1, 1, 25},
        {10, 10, 2, 2, 1, 45},
        // "....b333b...." with 0 45 45 45 0
        {12, 4, 7, 8, 3, 0},
        {12, 5, 7, 3, 1, 45},
        // "61432...23416" with 22 12 12 2 12 12 2 12 12 22
        {15, 0, 5, 6, 1, 22},
        {15, 3, 5, 3, 1, 2},
        {15, 4, 5, 2, 1, 12},
        {15, 5, 5, 0, 0, 0},
        {15, 9, 5, 3, 1, 2},
        {15, 12, 10, 6, 1, 22},
        {15, 0, 11, 0, 0, 0},
        // "..#ccccccc#.." and "..#5555555#.." with 0 25 ... 25 0
        {16, 2, 0, 7, 50000, 0},
        {16, 3, 0, 8, 4, 0},
        {16, 3, 2, 5, 1, 25},
        {16, 10, 2, 7, 50000, 0},
        // ".######22#213" with 0 0 0 0 0 0 10 10 0 25 0 15; ".#60#....##1#" with 0 40 10 0 0 25 0 15
        {18, 7, 3, 2, 1, 10},
        {18, 10, 3, 2, 1, 25},
        {18, 12, 3, 3, 1, 15},
        {18, 10, 7, 7, 50000, 25},
        {18, 11, 7, 1, 1, 0},
        {18, 12, 7, 7, 50000, 15},
        // ".1....#....1." with 40 0 40
        {19, 1, 1, 1, 1, 40},
        {19, 6, 1, 7, 50000, 0},
        // "5####222####5" with 25 0 0 0 0 25 25 25 0 0 0 0 25; "5#11#####11#5" gives the armour 25
        {20, 5, 5, 2, 1, 25},
        {20, 4, 5, 7, 50000, 0},
        {20, 4, 4, 7, 50000, 25},
        {20, 1, 6, 8, 4, 0},
        {20, 12, 12, 5, 1, 25},
    };
    for (const Expected& e : Cells) {
        SCOPED_TRACE(testing::Message() << "round " << e.Round << ", cell " << e.Column << ", " << e.Row);
        BuildRoundLayout(e.Round);
        const BrickCell& cell = BrickField[e.Column][e.Row];
        EXPECT_EQ(cell.Kind, e.Kind);
        EXPECT_EQ(cell.Strength, e.Strength);
        EXPECT_EQ(cell.DropChance, e.DropChance);
    }
}

}  // namespace
