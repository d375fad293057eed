#include <gtest/gtest.h>

#include <iterator>
#include <tuple>
#include <utility>

#include "frontend/intro.h"
#include "shell/devices.h"
#include "sound/voice.h"
#include "support/asset_folder.h"

namespace {

namespace headless = plat::headless;
using plat::RectAt;

// Presented frames, counted from the opening clouds (1): the glide is 2 to 121,
// the caption grows in 122 to 143, the panel opens in 144 to 156, the craft
// flies in 157 to 194, hatch and lights take 195 to 206, the panel closes in
// 207 to 219, the caption folds in 220 to 265 and the finale is 266 to 335.
constexpr uint64_t AllFrames = 335;
constexpr uint64_t FirstFinaleFrame = 266;

// The sheet is painted so that each picture the tests look for has a word of its own.
class IntroTest : public testing_support::AssetFolderTest {
protected:
    static constexpr uint16_t Clouds = 0x1111, Sheet = 0x2222, First = 0x3333, Second = 0x4444, Third = 0x5555,
                              FarCraft = 0x6666, LastLight = 0x7777;

    void SetUp() override {
        AssetFolderTest::SetUp();
        ASSERT_TRUE(SetupDevices()) << SetupFailure;
        plat::Fill(CloudsSurface, RectAt(0, 0, 800, 600), Clouds);
        plat::Fill(ShipsSurface, RectAt(0, 0, 1424, 600), Sheet);
        plat::Fill(ShipsSurface, RectAt(0, 299, 608, 66), First);
        plat::Fill(ShipsSurface, RectAt(0, 367, 783, 98), Second);
        plat::Fill(ShipsSurface, RectAt(0, 467, 641, 62), Third);
        plat::Fill(ShipsSurface, RectAt(1, 531, 84, 13), FarCraft);
        plat::Fill(ShipsSurface, RectAt(645 + 122 * 5, 505, 120, 68), LastLight);
    }

    static uint64_t Flips() { return plat::GetStats().Flips; }
    static uint64_t NowMs() { return headless::NowMicros() / 1000; }
    static bool Playing() { return plat::SoundStatus(VoiceShips.Buffer) == plat::SoundStatusPlaying; }
    static void SetEnter(bool down) { headless::Schedule({NowMs(), plat::KeyEvent(plat::Key::Enter, down)}); }
    static void PressEnterAtFrame(uint64_t frame) {
        headless::SetFlipObserver([frame](uint64_t flip) {
            if (flip == frame) SetEnter(true);
        });
    }
    // Music that outlasts the script; silent, but it plays on virtual time.
    static void MusicOfSeconds(uint32_t seconds) {
        VoiceShips.Buffer = plat::SoundCreateBuffer(seconds * plat::SoundBytesPerSecond);
        ASSERT_NE(VoiceShips.Buffer, nullptr);
    }
    // The rows [top, bottom) of column x that hold the word; {0, 0} if none.
    static std::pair<int, int> Rows(const plat::Surface* s, int x, uint16_t word) {
        int top = -1, bottom = 0;
        for (int y = 0; y < s->Height; ++y)
            if (At(s, x, y) == word) {
                if (top < 0) top = y;
                bottom = y + 1;
            }
        return top < 0 ? std::pair{0, 0} : std::pair{top, bottom};
    }
};

TEST_F(IntroTest, EnterHeldFromTheTitleDelaysTheIntroUntilReleased) {
    headless::Schedule({0, plat::KeyEvent(plat::Key::Enter, true)});
    headless::Schedule({500, plat::KeyEvent(plat::Key::Enter, false)});
    uint64_t firstFrameMs = 0;
    uint32_t musicBytesAtFirstFrame = 0;
    headless::SetFlipObserver([&](uint64_t flip) {
        if (flip != 1) return;
        firstFrameMs = NowMs();
        musicBytesAtFirstFrame = plat::SoundGetPosition(VoiceShips.Buffer);
    });
    PlayIntro();
    EXPECT_GE(firstFrameMs, 540u);  // the release, then the opening 40 ms
    EXPECT_LT(musicBytesAtFirstFrame, plat::SoundBytesPerSecond / 20) << "the music started after the release";
    EXPECT_EQ(Flips(), AllFrames);
}

TEST_F(IntroTest, EnterBeforeTheFinaleEndsItAtTheStartOfTheNextStep) {
    struct Case {
        uint64_t PressedAt, LastFrame;
    };
    const Case cases[] = {
        {2, 2},      // the first glide step
        {121, 121},  // the last glide step: the ship's extra draw presents nothing
        {155, 156},  // the last panel frame: the rest frame is still presented
        {200, 200},  // the hatch
        {218, 219},  // the panel's last closing frame: its wipe is still presented
        {264, 264},  // the caption folding
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.PressedAt);
        SetEnter(false);
        plat::ResetStats();
        PressEnterAtFrame(c.PressedAt);
        PlayIntro();
        EXPECT_EQ(Flips(), c.LastFrame);
    }
}

TEST_F(IntroTest, ACutShortIntroLeavesTheMusicWhereItStands) {
    PressEnterAtFrame(10);
    PlayIntro();
    EXPECT_TRUE(Playing());
    StopVoice(VoiceShips);  // as the title screen does
    const uint32_t stoppedAt = plat::SoundGetPosition(VoiceShips.Buffer);
    ASSERT_GT(stoppedAt, 0u);
    SetEnter(false);
    uint32_t atNextOpening = 0;
    headless::SetFlipObserver([&](uint64_t flip) {
        if (flip == 11) atNextOpening = plat::SoundGetPosition(VoiceShips.Buffer);
    });
    PlayIntro();
    EXPECT_GT(atNextOpening, stoppedAt);  // resumed, not started over
    EXPECT_LT(atNextOpening, stoppedAt + plat::SoundBytesPerSecond / 10);
}

TEST_F(IntroTest, WithoutKeysTheScriptRunsAllItsStepsThenWaitsForTheMusic) {
    constexpr uint64_t StepsMs = 120 * 45 + 22 * 45 + 12 * 75 + 38 * 10 + 6 * 85 + 6 * 85 + 12 * 75 + 46 * 45 + 70 * 45;
    uint64_t finaleEndedMs = 0;
    headless::SetFlipObserver([&](uint64_t flip) {
        if (flip % AllFrames == 0) finaleEndedMs = NowMs();
    });
    PlayIntro();  // the test music lasts 1 s, over long before the script
    EXPECT_EQ(Flips(), AllFrames);
    EXPECT_GE(NowMs(), StepsMs + 40);
    EXPECT_LE(NowMs(), finaleEndedMs + 45) << "no wait for music that has ended";

    MusicOfSeconds(20);
    const uint64_t startMs = NowMs();
    PlayIntro();
    EXPECT_FALSE(Playing());
    EXPECT_GT(finaleEndedMs, startMs + StepsMs);
    EXPECT_GE(NowMs(), startMs + 20040);  // started after the opening 40 ms
    EXPECT_LE(NowMs(), startMs + 20042);
}

TEST_F(IntroTest, EnterIsIgnoredInTheFinaleButEndsTheWaitForTheMusic) {
    MusicOfSeconds(20);
    uint64_t finaleEndedMs = 0;
    headless::SetFlipObserver([&](uint64_t flip) {
        if (flip == FirstFinaleFrame) SetEnter(true);
        if (flip == AllFrames) finaleEndedMs = NowMs();
    });
    PlayIntro();
    EXPECT_EQ(Flips(), AllFrames);
    EXPECT_TRUE(Playing());
    EXPECT_LE(NowMs(), finaleEndedMs + 45);  // the last step's time, and no more

    StopVoice(VoiceShips);
    plat::SoundSetPosition(VoiceShips.Buffer, 0);
    SetEnter(false);
    headless::SetFlipObserver(nullptr);
    const uint64_t pressAt = NowMs() + 17000;
    headless::Schedule({pressAt, plat::KeyEvent(plat::Key::Enter, true)});
    PlayIntro();
    EXPECT_TRUE(Playing());
    EXPECT_EQ(NowMs(), pressAt);
}

TEST_F(IntroTest, CaptionsAndTheFarCraftHaveTheirHeightsFrameByFrame) {
    struct Span {
        uint64_t Frame;
        int X;
        uint16_t Word;
        std::pair<int, int> Rows;
    };
    const Span spans[] = {
        {2, 400, First, {0, 0}},  // half-height 0
        // The turning step grows and shrinks at once: 26 right after the cap of 27.
        {71, 400, First, {33, 87}},
        {72, 400, First, {34, 86}},
        {122, 400, Second, {37, 83}},   // 23 at the end of the glide
        {144, 400, Second, {16, 104}},  // 44 drawn again, so on both pages
        {220, 400, Second, {15, 105}},  // 45 at the end of the growth
        {265, 400, Second, {0, 0}},     // folded to 0
        // The last fold step no longer wipes, so a sliver shows once more.
        {266, 400, Second, {59, 61}},
        {266, 400, Third, {0, 0}},  // the third caption's first draw
        {266, 440, FarCraft, {320, 333}},
        {267, 400, Third, {49, 51}},
        {292, 400, Third, {24, 76}},
        {317, 360, FarCraft, {269, 270}},
        {318, 360, FarCraft, {0, 0}},  // no height left
        {AllFrames, 400, Third, {24, 76}},
    };
    size_t seen = 0;
    headless::SetFlipObserver([&](uint64_t flip) {
        for (const Span& span : spans)
            if (span.Frame == flip) {
                EXPECT_EQ(Rows(headless::Primary(), span.X, span.Word), span.Rows) << "frame " << flip;
                ++seen;
            }
    });
    PlayIntro();
    EXPECT_EQ(seen, std::size(spans));
}

// Each caption is a flat band stretched across its width, so on every page
// shown each of its columns holds it on the same rows: a wipe that stops a
// column or more short of the caption's right edge leaves the taller band of
// an earlier step standing there as the caption folds. (The second caption's
// last column, x 790, is left out: the wipe during its growth never reaches
// it, as designed.)
TEST_F(IntroTest, EveryColumnOfACaptionShowsTheSameRowsOnEveryPage) {
    int checked = 0;
    headless::SetFlipObserver([&](uint64_t flip) {
        const plat::Surface* page = headless::Primary();
        for (const auto& [word, left, right] : {std::tuple{First, 70, 678}, std::tuple{Second, 8, 790}}) {
            const std::pair<int, int> rows = Rows(page, 400, word);
            for (int x = left; x < right; ++x) {
                const std::pair<int, int> here = Rows(page, x, word);
                if (here != rows) {
                    ADD_FAILURE() << "frame " << flip << ", x " << x << ": rows " << here.first << " to " << here.second
                                  << " where the caption stands on rows " << rows.first << " to " << rows.second;
                    return;
                }
            }
        }
        ++checked;
    });
    PlayIntro();
    EXPECT_EQ(checked, static_cast<int>(AllFrames));
}

TEST_F(IntroTest, TheSceneEndsWithTheShipLitOnBothPagesAndThePanelWiped) {
    PlayIntro();
    for (const plat::Surface* page : {PrimarySurface, BackBuffer}) {
        // The far craft's wipes cross the lights' upper rows.
        EXPECT_TRUE(AllOf(page, RectAt(373, 336, 120, 8), LastLight));
        EXPECT_TRUE(AllOf(page, RectAt(169, 344, 498, 241), Sheet));  // the ship below the lights
        EXPECT_TRUE(AllOf(page, RectAt(40, 120, 200, 119), Clouds));  // where the panel stood
        EXPECT_TRUE(AllOf(page, RectAt(667, 120, 133, 480), Clouds));
    }
}

}  // namespace
