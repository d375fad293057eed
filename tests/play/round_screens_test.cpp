#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "gfx/screen_map.h"
#include "play/round_screens.h"
#include "support/round_fixture.h"

namespace {

namespace headless = plat::headless;
using plat::RectAt;
using testing_support::FlatPixel;
using testing_support::RoundTest;

// The glyph slots of the sheet each get a word of their own (with a black
// border row that the keyed copy leaves out), the banner another.
class AnnouncementTest : public RoundTest {
protected:
    void SetUp() override {
        RoundTest::SetUp();
        Settle();
        for (int slot = 0; slot < 20; ++slot)
            plat::Fill(BElementsSurface, RectAt(6 + 31 * slot, 73, 29, 34), SlotWord(slot));
        plat::Fill(BElementsSurface, RectAt(37, 37, 219, 34), Banner);
    }
    static uint16_t SlotWord(int slot) { return static_cast<uint16_t>(0x2000 + slot); }
    static constexpr uint16_t Banner = 0x3333;

    // The slots shown at x 450, 480 and 490 on the screen the banner was presented on.
    std::map<int, int> SlotsShown(int32_t round) {
        std::map<int, int> shown;
        headless::SetFlipObserver([&](uint64_t) {
            if (!shown.empty() || At(headless::Primary(), 210, 445) != Banner) return;
            auto slotAt = [](int x) {
                const uint16_t w = At(headless::Primary(), x, 450);
                return (w >= 0x2000 && w < 0x2014) ? w - 0x2000 : -1;
            };
            // A glyph whose left edge stands at x.
            for (int x : {450, 480, 490})
                if (slotAt(x) >= 0 && slotAt(x - 1) != slotAt(x)) shown[x] = slotAt(x);
            if (shown.empty()) shown[0] = -1;  // the banner alone
        });
        ShowRoundAnnouncement(round);
        headless::SetFlipObserver(nullptr);
        return shown;
    }
};

TEST_F(AnnouncementTest, GlyphSlotsForEachKindOfRoundNumber) {
    EXPECT_EQ(SlotsShown(7), (std::map<int, int>{{450, 7}}));
    EXPECT_EQ(SlotsShown(12), (std::map<int, int>{{450, 1}, {480, 2}}));
    EXPECT_EQ(SlotsShown(20), (std::map<int, int>{{450, 2}, {490, 10}}));
    EXPECT_EQ(SlotsShown(21), (std::map<int, int>{{450, 2}, {490, 11}}));
    EXPECT_EQ(SlotsShown(30), (std::map<int, int>{{0, -1}}));
    // A round number below 0 (never played) names no slot on the sheet.
    EXPECT_EQ(SlotsShown(-1), (std::map<int, int>{{0, -1}}));
    EXPECT_EQ(SlotsShown(INT32_MIN), (std::map<int, int>{{0, -1}}));
    // Slot 0 shares its pixels with the wall on the sheet: round 10 takes slot 10.
    EXPECT_EQ(SlotsShown(10), (std::map<int, int>{{450, 1}, {480, 10}}));
}

TEST_F(AnnouncementTest, TheBannerLastsTheFanfareAndLeavesNoTrace) {
    std::vector<uint64_t> flipTimes;
    headless::SetFlipObserver([&](uint64_t) { flipTimes.push_back(headless::NowMicros()); });
    ShowRoundAnnouncement(3);
    ASSERT_EQ(flipTimes.size(), 2u);
    EXPECT_GE(flipTimes[1] - flipTimes[0], 50000u);  // the test fanfare's 50 ms
    EXPECT_LT(flipTimes[1] - flipTimes[0], 50000u + 16667u + 1000u);
    // The page that held the banner is erased from the clean backdrop; the
    // other one never held it.
    for (plat::Surface* s : {PrimarySurface, BackBuffer})
        EXPECT_TRUE(AllOf(s, RectAt(206, 440, 319, 35), Packed(FlatPixel(5)))) << (s == BackBuffer);
}

TEST_F(RoundTest, PauseNeedsF1ReleasedPressedAndReleasedAgain) {
    Settle();
    const uint64_t t = NowMs();
    headless::Schedule({t, plat::KeyEvent(plat::Key::F1, true)});  // held into the step
    headless::Schedule({t + 300, plat::KeyEvent(plat::Key::F1, false)});
    headless::Schedule({t + 500, plat::KeyEvent(plat::Key::F1, true)});
    headless::Schedule({t + 520, plat::KeyEvent(plat::Key::F1, false)});
    std::vector<uint64_t> presentedAt;
    headless::SetFlipObserver([&](uint64_t) { presentedAt.push_back(NowMs()); });
    PlayFrame();
    ASSERT_EQ(presentedAt.size(), 1u);  // nothing was presented while paused
    EXPECT_GE(presentedAt[0], t + 520);
    EXPECT_LT(presentedAt[0], t + 520 + 17);
}

TEST_F(RoundTest, StatusPanelShowsScoreLivesAndRound) {
    Settle();
    Score = 12340;
    Lives = 5;
    RoundNumber = 21;
    PlayFrame();
    const uint16_t white = Packed({255, 255, 255});
    const uint16_t yellow = Packed({255, 255, 0});
    // Each line, drawn alone on a blank surface, must match the panel's pixels.
    auto matches = [&](int32_t y, const char* text, uint16_t colour) {
        plat::Surface* scratch = nullptr;
        EXPECT_TRUE(plat::DisplayCreateSurface(100, 16, &scratch));
        plat::DrawText(scratch, 0, 0, text, static_cast<int>(std::strlen(text)), colour);
        for (int dy = 0; dy < 16; ++dy)
            for (int dx = 0; dx < 99; ++dx) {
                const bool ink = At(scratch, dx, dy) == colour;
                if (ink != (At(PrimarySurface, screen::PanelTextX + dx, y + dy) == colour)) return false;
            }
        plat::ReleaseSurface(scratch);
        return true;
    };
    EXPECT_TRUE(matches(screen::ScoreLabelY, "score: ", white));
    EXPECT_TRUE(matches(screen::ScoreY, "12340", white));
    EXPECT_TRUE(matches(screen::LivesLabelY, "lives: ", white));
    EXPECT_TRUE(matches(screen::LivesY, "5", white));
    EXPECT_TRUE(matches(screen::RoundLabelY, "round: ", yellow));
    EXPECT_TRUE(matches(screen::RoundY, "21", yellow));
}

}  // namespace
