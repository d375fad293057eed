#include <gtest/gtest.h>

#include <climits>

#include "platform/core.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace {

using plat::BlitMode;
using plat::Rect;
using plat::RectAt;
using plat::Surface;

class BlitTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        ASSERT_TRUE(plat::DisplayCreate());
        ASSERT_TRUE(plat::DisplayCreateSurface(64, 32, &src));
        ASSERT_TRUE(plat::DisplayCreateSurface(64, 32, &dst));
        // Source words count up from 1, with every third one black.
        for (int y = 0; y < src->Height; ++y)
            for (int x = 0; x < src->Width; ++x)
                Word(src, x, y) = (x % 3 == 0) ? 0 : static_cast<uint16_t>(y * 100 + x);
        std::fill(dst->Words.begin(), dst->Words.end(), 0xAAAA);
    }
    void TearDown() override { plat::headless::Reset(); }

    static uint16_t& Word(Surface* s, int x, int y) { return s->Words[static_cast<size_t>(y) * s->PitchWords + x]; }
    bool Untouched() const {
        for (int y = 0; y < dst->Height; ++y)
            for (int x = 0; x < dst->Width; ++x)
                if (Word(dst, x, y) != 0xAAAA) return false;
        return true;
    }

    Surface* src = nullptr;
    Surface* dst = nullptr;
};

TEST_F(BlitTest, OpaqueCopyWritesExactlyTheRectangle) {
    ASSERT_TRUE(plat::Blit(dst, RectAt(10, 5, 7, 3), src, RectAt(2, 1, 7, 3), BlitMode::Opaque));
    for (int y = 0; y < dst->Height; ++y)
        for (int x = 0; x < dst->Width; ++x) {
            const bool inside = x >= 10 && x < 17 && y >= 5 && y < 8;
            EXPECT_EQ(Word(dst, x, y), inside ? Word(src, x - 8, y - 4) : 0xAAAA) << x << "," << y;
        }
}

// Every row width from 1 to 40 against a plain per-word reference, so the
// vector path and its overlapping tail are both checked.
TEST_F(BlitTest, KeyedCopyLeavesOutKeyWordsAtEveryWidth) {
    plat::SetColorKey(src, 0, 0);
    for (int width = 1; width <= 40; ++width) {
        std::fill(dst->Words.begin(), dst->Words.end(), 0xAAAA);
        ASSERT_TRUE(plat::Blit(dst, RectAt(3, 2, width, 2), src, RectAt(1, 4, width, 2), BlitMode::Keyed));
        for (int y = 0; y < 2; ++y)
            for (int x = -1; x <= width; ++x) {
                const uint16_t s = (x >= 0 && x < width) ? Word(src, 1 + x, 4 + y) : 0;
                const uint16_t expected = (x >= 0 && x < width && s != 0) ? s : 0xAAAA;
                ASSERT_EQ(Word(dst, 3 + x, 2 + y), expected) << "width " << width << " x " << x;
            }
    }
}

TEST_F(BlitTest, KeyRangeIsInclusiveAtBothEnds) {
    for (int x = 0; x < 16; ++x) Word(src, x, 0) = static_cast<uint16_t>(0xFFF8 + x);  // wraps past 0xFFFF
    plat::SetColorKey(src, 0xFFFA, 0xFFFC);
    ASSERT_TRUE(plat::Blit(dst, RectAt(0, 0, 16, 1), src, RectAt(0, 0, 16, 1), BlitMode::Keyed));
    for (int x = 0; x < 16; ++x) {
        const uint16_t s = Word(src, x, 0);
        EXPECT_EQ(Word(dst, x, 0), (s >= 0xFFFA && s <= 0xFFFC) ? 0xAAAA : s) << x;
    }
}

TEST_F(BlitTest, RefusesRectanglesNotWhollyInsideWithoutDrawingAnything) {
    const Rect good = RectAt(0, 0, 8, 8);
    const Rect cases[] = {
        RectAt(60, 0, 8, 8),           // past the right edge
        RectAt(0, 28, 8, 8),           // past the bottom edge
        RectAt(-1, 0, 8, 8),           // left of the surface
        RectAt(0, -3, 8, 8),           // above it
        RectAt(0, 0, 0, 8),            // no width
        RectAt(0, 0, 8, -2),           // negative height
        RectAt(INT_MAX - 2, 0, 8, 8),  // an edge past the 32-bit range
    };
    for (const Rect& bad : cases) {
        EXPECT_FALSE(plat::Blit(dst, bad, src, good, BlitMode::Opaque));
        EXPECT_FALSE(plat::Blit(dst, good, src, bad, BlitMode::Opaque));
        EXPECT_FALSE(plat::BlitStretch(dst, bad, src, good));
        EXPECT_FALSE(plat::Fill(dst, bad, 7));
    }
    EXPECT_TRUE(Untouched());
    EXPECT_EQ(plat::GetStats().Blits, 0u);
    EXPECT_EQ(plat::GetStats().BlitsRefused, 4u * std::size(cases));
}

TEST_F(BlitTest, RefusesMismatchedSizesMissingKeysAndLockedSurfaces) {
    EXPECT_FALSE(plat::Blit(dst, RectAt(0, 0, 8, 8), src, RectAt(0, 0, 9, 8), BlitMode::Opaque));
    EXPECT_FALSE(plat::Blit(dst, RectAt(0, 0, 8, 8), src, RectAt(0, 0, 8, 8), BlitMode::Keyed));  // no key set
    plat::SurfaceLock lock;
    ASSERT_TRUE(plat::Lock(src, &lock));
    EXPECT_FALSE(plat::Lock(src, &lock));
    EXPECT_FALSE(plat::Blit(dst, RectAt(0, 0, 8, 8), src, RectAt(0, 0, 8, 8), BlitMode::Opaque));
    plat::Unlock(src);
    EXPECT_FALSE(plat::Blit(nullptr, RectAt(0, 0, 8, 8), src, RectAt(0, 0, 8, 8), BlitMode::Opaque));
    EXPECT_TRUE(Untouched());
    EXPECT_TRUE(plat::Blit(dst, RectAt(0, 0, 8, 8), src, RectAt(0, 0, 8, 8), BlitMode::Opaque));
}

TEST_F(BlitTest, OverlappingCopyWithinOneSurfaceReadsTheOriginal) {
    Surface before = *src;
    ASSERT_TRUE(plat::Blit(src, RectAt(2, 1, 20, 10), src, RectAt(0, 0, 20, 10), BlitMode::Opaque));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(Word(src, x + 2, y + 1), Word(&before, x, y));
}

TEST_F(BlitTest, StretchTakesTheSourcePixelUnderEachCentre) {
    // One source row of 4 words spread over 8 x 3: each source word twice, every row the same.
    ASSERT_TRUE(plat::BlitStretch(dst, RectAt(0, 0, 8, 3), src, RectAt(4, 2, 4, 1)));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(Word(dst, x, y), Word(src, 4 + x / 2, 2)) << x << "," << y;
    // Shrinking 8 to 4 takes every second word, starting with the second.
    ASSERT_TRUE(plat::BlitStretch(dst, RectAt(0, 10, 4, 1), src, RectAt(0, 3, 8, 1)));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Word(dst, x, 10), Word(src, 2 * x + 1, 3));
    // The same size is a plain copy, key words included.
    ASSERT_TRUE(plat::BlitStretch(dst, RectAt(0, 20, 9, 2), src, RectAt(0, 0, 9, 2)));
    for (int x = 0; x < 9; ++x) EXPECT_EQ(Word(dst, x, 20), Word(src, x, 0));
}

TEST_F(BlitTest, FillWritesOnlyTheRectangle) {
    ASSERT_TRUE(plat::Fill(dst, RectAt(1, 1, 3, 2), 0x1234));
    int filled = 0;
    for (uint16_t w : dst->Words) filled += (w == 0x1234);
    EXPECT_EQ(filled, 6);
    EXPECT_EQ(Word(dst, 1, 1), 0x1234);
    EXPECT_EQ(Word(dst, 3, 2), 0x1234);
    EXPECT_EQ(Word(dst, 4, 2), 0xAAAA);
}

TEST_F(BlitTest, OddWidthsKeepRowsOnFourByteBoundaries) {
    Surface* odd = nullptr;
    ASSERT_TRUE(plat::DisplayCreateSurface(7, 3, &odd));
    EXPECT_EQ(odd->PitchWords, 8);
    plat::SurfaceLock lock;
    ASSERT_TRUE(plat::Lock(odd, &lock));
    EXPECT_EQ(lock.PitchBytes, 16);
    plat::Unlock(odd);
    ASSERT_TRUE(plat::Blit(odd, RectAt(0, 0, 7, 3), src, RectAt(1, 1, 7, 3), BlitMode::Opaque));
    EXPECT_EQ(odd->Words[8 * 2 + 6], Word(src, 7, 3));
}

}  // namespace
