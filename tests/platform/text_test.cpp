#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace {

class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        ASSERT_TRUE(plat::DisplayCreate());
        ASSERT_TRUE(plat::DisplayCreateSurface(100, 40, &s));
        std::fill(s->Words.begin(), s->Words.end(), 0x0101);
    }
    void TearDown() override { plat::headless::Reset(); }

    int Count(uint16_t word, int left = 0, int right = 100) const {
        int n = 0;
        for (int y = 0; y < s->Height; ++y)
            for (int x = left; x < right; ++x) n += s->Words[static_cast<size_t>(y) * s->PitchWords + x] == word;
        return n;
    }
    plat::Surface* s = nullptr;
};

TEST_F(TextTest, GlyphsInkOnlyTheirCellsOnATransparentBackground) {
    plat::DrawText(s, 10, 5, "8", 1, 0xFFFF);
    const int ink = Count(0xFFFF);
    EXPECT_GT(ink, 10);
    EXPECT_EQ(Count(0xFFFF, 10, 18), ink);  // all inside the 8-pixel cell
    EXPECT_EQ(Count(0xFFFF) + Count(0x0101), 100 * 40);
    plat::DrawText(s, 10, 5, " ", 1, 0x1234);
    EXPECT_EQ(Count(0x1234), 0);
}

TEST_F(TextTest, TextAdvancesEightPixelsAndDifferentCharactersDiffer) {
    plat::DrawText(s, 0, 0, "1l0O", 4, 0xFFFF);
    std::vector<std::vector<uint16_t>> cells(4);
    for (int c = 0; c < 4; ++c)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x)
                cells[c].push_back(s->Words[static_cast<size_t>(y) * s->PitchWords + 8 * c + x]);
    EXPECT_NE(cells[0], cells[1]);
    EXPECT_NE(cells[2], cells[3]);
}

TEST_F(TextTest, TextAtTheEdgesIsCutNotWrapped) {
    plat::DrawText(s, 96, 30, "WW", 2, 0xFFFF);
    plat::DrawText(s, -4, -8, "WW", 2, 0xFFFF);
    const char odd[] = {'\x01', '\x7F', '\xFF'};
    plat::DrawText(s, 0, 0, odd, 3, 0x2222);
    EXPECT_EQ(Count(0x2222), 0);
    plat::DrawText(s, 0, 0, nullptr, 3, 0x2222);
    plat::DrawText(s, 0, 0, "x", -1, 0x2222);
    EXPECT_EQ(Count(0x2222), 0);
    // Nothing from the right-hand text reached the left column of the next row.
    for (int y = 31; y < 40; ++y) EXPECT_EQ(s->Words[static_cast<size_t>(y) * s->PitchWords + 0], 0x0101);
}

}  // namespace
