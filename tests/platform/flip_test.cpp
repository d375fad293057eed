// The flip's rules over a display that fails, loses its surfaces or cannot
// get them back, driven through the headless back end's scripted presents.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/surface_copy.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "platform/ring_clock.h"

namespace {

namespace headless = plat::headless;
using Present = plat::backend::PresentResult;
using Restore = plat::backend::RestoreResult;

class FlipTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        ASSERT_TRUE(plat::DisplayCreate());
        ASSERT_TRUE(plat::DisplaySetMode(800, 600, 16));
        ASSERT_TRUE(plat::DisplayCreatePrimary(&primary));
        ASSERT_TRUE(plat::DisplayGetBackBuffer(&back));
        primary->Words[0] = 1;  // on screen
        back->Words[0] = 2;     // the frame being drawn
    }
    void TearDown() override { headless::Reset(); }

    bool Exchanged() const { return primary->Words[0] == 2 && back->Words[0] == 1; }
    bool InPlace() const { return primary->Words[0] == 1 && back->Words[0] == 2; }

    plat::Surface* primary = nullptr;
    plat::Surface* back = nullptr;
};

TEST_F(FlipTest, APageThatWasNotShownIsNotExchanged) {
    headless::ScriptPresents({Present::Failed});
    EXPECT_FALSE(plat::Flip());
    EXPECT_TRUE(InPlace());
    EXPECT_EQ(plat::GetStats().Flips, 0u);
    EXPECT_TRUE(plat::Flip());  // the display works again
    EXPECT_TRUE(Exchanged());
    EXPECT_EQ(plat::GetStats().Flips, 1u);
}

TEST_F(FlipTest, LostSurfacesAreRestoredAndThePageShownOnce) {
    headless::ScriptPresents({Present::Lost, Present::Lost});
    headless::ScriptRestores({Restore::Failed, Restore::Restored, Restore::Restored});
    EXPECT_TRUE(plat::Flip());
    EXPECT_TRUE(Exchanged());
    EXPECT_EQ(plat::GetStats().Flips, 1u);
}

TEST_F(FlipTest, ADisplayThatStaysLostCostsAFewSecondsInAllThenFailsFast) {
    headless::ScriptPresents(std::vector<Present>(100000, Present::Lost));
    headless::ScriptRestores(std::vector<Restore>(100000, Restore::Failed), 250000);  // a slow driver
    const uint64_t start = headless::NowMicros();
    EXPECT_FALSE(plat::Flip());
    EXPECT_TRUE(InPlace());
    const uint64_t firstFlip = headless::NowMicros() - start;
    EXPECT_GE(firstFlip, 3000000u);
    EXPECT_LE(firstFlip, 3500000u);
    // The game's present retries, each try costing one restore at most.
    const uint64_t before = headless::NowMicros();
    PresentFrame();
    EXPECT_LE(headless::NowMicros() - before, 100u * 260000u);
    EXPECT_TRUE(InPlace());
    // Once the surfaces come back, so do the flips.
    headless::ScriptPresents({});
    headless::ScriptRestores({});
    EXPECT_TRUE(plat::Flip());
    EXPECT_TRUE(Exchanged());
}

TEST_F(FlipTest, WaitingInTheBackgroundIsNotCountedAndACloseEndsIt) {
    headless::ScriptPresents({Present::Lost});
    headless::ScriptRestores(std::vector<Restore>(1000, Restore::NotNow));  // 10 s behind another program
    EXPECT_TRUE(plat::Flip());
    EXPECT_TRUE(Exchanged());
    EXPECT_GE(headless::NowMicros(), 10000000u);

    // Asked to close while lost: the flip ends at the close, counted as done
    // so that the quit comes, long before the display would have come back.
    headless::ScriptPresents({Present::Lost});
    headless::ScriptRestores(std::vector<Restore>(1000, Restore::NotNow));
    const uint64_t start = headless::NowMicros();
    headless::Schedule({start / 1000 + 50, plat::CloseEvent()});
    EXPECT_TRUE(plat::Flip());
    EXPECT_TRUE(plat::core::CloseRequested());
    EXPECT_LT(headless::NowMicros() - start, 100000u);
    plat::Message m;
    ASSERT_TRUE(plat::PeekMessage(&m));
    EXPECT_EQ(m.Id, plat::MsgClose);
}

// A display that loses its surfaces again as soon as they are restored must
// not hold the flip for ever: each round waits, counts against the restore
// budget and listens for a close.
TEST_F(FlipTest, SurfacesLostAgainAfterEveryRestoreCostTheBudgetOrEndAtAClose) {
    headless::ScriptPresents(std::vector<Present>(50000, Present::Lost));
    headless::ScriptRestores(std::vector<Restore>(50000, Restore::Restored), 1000);
    uint64_t start = headless::NowMicros();
    EXPECT_FALSE(plat::Flip());
    EXPECT_TRUE(InPlace());
    EXPECT_GE(headless::NowMicros() - start, 3000000u);
    EXPECT_LE(headless::NowMicros() - start, 3500000u);
    EXPECT_NE(std::string(plat::LastError()).find("again after every restore"), std::string::npos) << plat::LastError();

    headless::Reset();
    SetUp();
    headless::ScriptPresents(std::vector<Present>(50000, Present::Lost));
    headless::ScriptRestores(std::vector<Restore>(50000, Restore::Restored), 1000);
    start = headless::NowMicros();
    headless::Schedule({start / 1000 + 50, plat::CloseEvent()});
    EXPECT_TRUE(plat::Flip());
    EXPECT_LT(headless::NowMicros() - start, 100000u);
}

// The restore budget is an allowance for one spell of trouble: every page
// shown gives it back. A display lost now and then, each time for less than
// the budget, always comes back, whether its restores fail or its surfaces
// are lost again as soon as they are restored; a spell longer than the
// budget fails, and the next page shown gives the budget back again.
TEST_F(FlipTest, EveryPageShownGivesTheRestoreBudgetBack) {
    // Restores that fail take 200 ms, 210 ms with the pause after each.
    const auto failingFor = [](int restores) {
        headless::ScriptPresents({Present::Lost});
        std::vector<Restore> script(restores, Restore::Failed);
        script.push_back(Restore::Restored);
        headless::ScriptRestores(script, 200000);
    };
    for (int spell = 0; spell < 3; ++spell) {
        const uint64_t start = headless::NowMicros();
        failingFor(10);
        EXPECT_TRUE(plat::Flip()) << "spell " << spell;
        EXPECT_GE(headless::NowMicros() - start, 10u * 210000u + 200000u) << "spell " << spell;
        EXPECT_LE(headless::NowMicros() - start, 10u * 210000u + 200000u + 16667u) << "spell " << spell;
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(plat::Flip());
        // Lost again as soon as restored, for two seconds: 3 ms a restore, 10 between.
        headless::ScriptPresents(std::vector<Present>(150, Present::Lost));
        headless::ScriptRestores(std::vector<Restore>(150, Restore::Restored), 3000);
        EXPECT_TRUE(plat::Flip()) << "spell " << spell;
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(plat::Flip());
    }
    // In the background for ten seconds, then restores failing for two: not
    // three seconds in front, so it comes back.
    headless::ScriptPresents({Present::Lost});
    std::vector<Restore> background(1000, Restore::NotNow);
    background.insert(background.end(), 10, Restore::Failed);
    background.push_back(Restore::Restored);
    headless::ScriptRestores(background, 200000);
    EXPECT_TRUE(plat::Flip());

    failingFor(20);
    primary->Words[0] = 1;
    back->Words[0] = 2;
    EXPECT_FALSE(plat::Flip()) << "four seconds of failing restores";
    EXPECT_TRUE(InPlace());
    headless::ScriptPresents({});
    headless::ScriptRestores({});
    EXPECT_TRUE(plat::Flip());
    failingFor(10);
    EXPECT_TRUE(plat::Flip()) << "the page shown gave the budget back";
}

// Three seconds in all, to the microsecond: restores that fail for just the
// budget, or a little less, still see the display come back; one failure
// more and the flip gives up.
TEST_F(FlipTest, TheRestoreBudgetEndsExactlyAtThreeSeconds) {
    for (const int failures : {29, 30, 31}) {
        SCOPED_TRACE(std::to_string(failures) + " failed restores of 100 ms");
        headless::ScriptPresents({Present::Lost});
        std::vector<Restore> script(failures, Restore::Failed);
        script.push_back(Restore::Restored);
        headless::ScriptRestores(script, 90000);  // and 10 ms of pause after each
        const uint64_t start = headless::NowMicros();
        const bool shown = plat::Flip();
        EXPECT_EQ(shown, failures <= 30);
        if (!shown) {
            EXPECT_EQ(headless::NowMicros() - start, 30u * 100000u + 90000u) << "gave up at the first failure past 3 s";
        }
        headless::ScriptPresents({});
        headless::ScriptRestores({});
        ASSERT_TRUE(plat::Flip());
    }
}

TEST(RingClock, CountsWrapsAndLapsTheReaderSleptThrough) {
    constexpr uint32_t Ring = 32768, Rate = 176400;
    plat::core::RingClock clock(Ring, Rate, 500000);
    clock.Start(30000, 0);
    EXPECT_EQ(clock.Update(31000, 5000), 1000u);
    EXPECT_EQ(clock.Update(1000, 10000), 1000u + 2768u);  // across the end of the ring
    // Asleep for 400 ms: two whole laps and a part, of which the position shows the part.
    const uint64_t before = clock.Played();
    const uint32_t part = (400000ull * Rate / 1000000) % Ring;
    EXPECT_EQ(clock.Update(1000 + part, 410000) - before, 400000ull * Rate / 1000000);
    EXPECT_FALSE(clock.Stuck(410000));
}

TEST(RingClock, APositionThatStandsStillIsAStoppedDevice) {
    plat::core::RingClock clock(32768, 176400, 500000);
    clock.Start(100, 0);
    EXPECT_EQ(clock.Update(100, 300000), 0u);
    EXPECT_FALSE(clock.Stuck(300000));
    EXPECT_EQ(clock.Update(100, 600000), 0u);  // no laps guessed for a position that never moved
    EXPECT_TRUE(clock.Stuck(600000));
    clock.Update(200, 610000);
    EXPECT_FALSE(clock.Stuck(610000));
}

// The laps a reader slept through are told from the time passed: a clock
// that reads a little short or a little long of what the device played, by
// up to well under half a ring, still gives the whole laps, from one to many.
TEST(RingClock, LapsAreCountedRightFromATimeReadALittleShortOrLong) {
    constexpr uint32_t Ring = 32768, Rate = 176400;
    for (const uint64_t played :
         {Ring + 100ull, 2ull * Ring + 3000, 4ull * Ring - 200, 6ull * Ring + Ring / 2 - 1000}) {
        for (const int64_t off : {-12000, -3000, -1, 0, 1, 3000, 12000}) {
            plat::core::RingClock clock(Ring, Rate, 10000000);
            clock.Start(500, 1000);
            // The first microsecond by which the time says `played + off` bytes.
            const uint64_t says = played + off;
            const uint64_t micros = (says * 1000000 + Rate - 1) / Rate;
            ASSERT_EQ(micros * Rate / 1000000, says);
            EXPECT_EQ(clock.Update(static_cast<uint32_t>((500 + played) % Ring), 1000 + micros), played)
                << played << " bytes played, the time off by " << off;
        }
    }
}

}  // namespace
