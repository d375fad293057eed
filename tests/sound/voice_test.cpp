#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "sound/voice.h"
#include "support/voice_files.h"

namespace {

namespace headless = plat::headless;
using testing_support::MakeVoc;
using testing_support::Put32;

class VoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset(headless::Config{.CaptureAudio = true});
        ASSERT_TRUE(plat::SoundCreate());
        dir = testing_support::ScratchDir();
    }
    void TearDown() override {
        for (const VoiceFile& v : VoiceInventory) *v.Target = Voice{};
        headless::Reset();
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const auto path = dir / name;
        testing_support::WriteFile(path, bytes);
        return path.string();
    }
    // Samples 1, 2, 3, ... as left/right pairs of `frames` frames.
    static std::vector<int16_t> Ramp(int frames) {
        std::vector<int16_t> s(static_cast<size_t>(frames) * 2);
        for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(i + 1);
        return s;
    }

    std::filesystem::path dir;
    Voice voice;
};

TEST_F(VoiceTest, TheBufferTakesTheSamplesAfterTheBlockHead) {
    const auto file = MakeVoc(Ramp(441));
    ASSERT_EQ(file[26 + 6], 1);  // with the usual header the samples start at 32
    ASSERT_TRUE(LoadVoice(Write("ramp.voc", file).c_str(), voice, 352800));
    PlayVoice(voice);
    headless::AdvanceMs(20);
    const auto& audio = headless::CapturedAudio();
    // 441 frames of ramp, then nothing: the four bytes of silence after the
    // samples are not part of the buffer.
    for (int i = 0; i < 882; ++i) ASSERT_EQ(audio[i], i + 1);
    EXPECT_EQ(audio[882], 0);
    EXPECT_EQ(plat::SoundStatus(voice.Buffer), 0u);
}

TEST_F(VoiceTest, TheHeaderSizeBytePlacesTheBlock) {
    ASSERT_TRUE(LoadVoice(Write("far.voc", MakeVoc(Ramp(4), 40)).c_str(), voice, 1000));
    PlayVoice(voice);
    headless::AdvanceMs(1);
    EXPECT_EQ(headless::CapturedAudio()[0], 1);
}

TEST_F(VoiceTest, WaitVoiceLastsTheSoundsRealLength) {
    // L - 6 = 88200 bytes: half a second.
    ASSERT_TRUE(LoadVoice(Write("half.voc", MakeVoc(std::vector<int16_t>(44100, 5))).c_str(), voice, 352800));
    StartVoice(voice);
    WaitVoice(voice);
    EXPECT_EQ(headless::NowMicros(), 500000u);
    EXPECT_EQ(VoiceStatus, 0u);
}

TEST_F(VoiceTest, PlayRestartsAVoiceButStartLetsItGoOn) {
    ASSERT_TRUE(LoadVoice(Write("v.voc", MakeVoc(std::vector<int16_t>(44100, 5))).c_str(), voice, 352800));
    StartVoice(voice);
    headless::AdvanceMs(100);
    const uint32_t at = plat::SoundGetPosition(voice.Buffer);
    EXPECT_GT(at, 0u);
    StartVoice(voice);
    EXPECT_EQ(plat::SoundGetPosition(voice.Buffer), at);
    PlayVoice(voice);
    EXPECT_EQ(plat::SoundGetPosition(voice.Buffer), 0u);
    EXPECT_EQ(plat::SoundStatus(voice.Buffer), plat::SoundStatusPlaying);
    // A stop keeps the place; the next start goes on from there.
    headless::AdvanceMs(100);
    StopVoice(voice);
    const uint32_t stopped = plat::SoundGetPosition(voice.Buffer);
    headless::AdvanceMs(100);
    StartVoice(voice);
    EXPECT_EQ(plat::SoundGetPosition(voice.Buffer), stopped);
}

TEST_F(VoiceTest, TheTwoLaserVoicesSoundTogether) {
    const std::string file = Write("lasers.voc", MakeVoc(std::vector<int16_t>(882, 100)));
    ASSERT_TRUE(LoadVoice(file.c_str(), VoiceLaserA, 246960));
    ASSERT_TRUE(LoadVoice(file.c_str(), VoiceLaserB, 246960));
    EXPECT_NE(VoiceLaserA.Buffer, VoiceLaserB.Buffer);
    PlayVoice(VoiceLaserA);
    PlayVoice(VoiceLaserB);
    headless::AdvanceMs(1);
    EXPECT_EQ(headless::CapturedAudio()[0], 200);
}

TEST_F(VoiceTest, MalformedFilesAreRefusedWithoutReadingPastTheirBytes) {
    const auto good = MakeVoc(Ramp(100));
    auto with = [&](auto change) {
        auto b = good;
        change(b);
        return b;
    };
    auto length = [](std::vector<uint8_t>& b, uint32_t l) {
        b[27] = static_cast<uint8_t>(l);
        b[28] = static_cast<uint8_t>(l >> 8);
        b[29] = static_cast<uint8_t>(l >> 16);
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        uint32_t budget;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", {}, 1000, "too short"},
        {"header only", with([](auto& b) { b.resize(20); }), 1000, "too short"},
        {"block head past the end", with([](auto& b) {
             b[20] = 250;
             b.resize(252);
         }),
         100000, "head"},
        {"block head cut by the budget", good, 28, "head"},
        {"length under 6", with([&](auto& b) { length(b, 5); }), 100000, "shorter than 6"},
        {"block past the file", with([&](auto& b) { length(b, 0xFFFFFF); }), 100000, "runs past"},
        {"block past the budget", good, 300, "runs past"},
        {"too little sound for a buffer", with([&](auto& b) { length(b, 8); }), 100000, "too small"},
    };
    for (const Case& c : cases) {
        Voice v;
        std::string why;
        EXPECT_FALSE(LoadVoice(Write("bad.voc", c.bytes).c_str(), v, c.budget, &why)) << c.name;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": " << why;
        EXPECT_NE(why.find("bad.voc"), std::string::npos) << c.name;
        EXPECT_EQ(v.Buffer, nullptr) << c.name;
    }
    std::string why;
    EXPECT_FALSE(LoadVoice((dir / "missing.voc").string().c_str(), voice, 1000, &why));
    EXPECT_NE(why.find("cannot be opened"), std::string::npos);
    // The smallest block that fits: L = 10 gives a four-byte buffer.
    EXPECT_TRUE(LoadVoice(Write("tiny.voc", with([&](auto& b) { length(b, 10); })).c_str(), voice, 100000));
}

TEST_F(VoiceTest, AVoiceWithoutABufferDoesNothing) {
    Voice none;
    PlayVoice(none);
    StartVoice(none);
    StopVoice(none);
    VoiceStatus = 77;
    WaitVoice(none);
    EXPECT_EQ(headless::NowMicros(), 0u);
    EXPECT_EQ(plat::GetStats().VoicePlays, 0u);
    // Without a sound device no buffer can be made.
    plat::SoundRelease();
    std::string why;
    EXPECT_FALSE(LoadVoice(Write("ok.voc", MakeVoc(Ramp(10))).c_str(), voice, 1000, &why));
    EXPECT_NE(why.find("no sound device"), std::string::npos);
}

TEST(VoiceInventory, FourteenVoicesWithWholeOrFractionalSecondBudgets) {
    ASSERT_EQ(std::size(VoiceInventory), 14u);
    EXPECT_STREQ(VoiceInventory[0].FileName, "brick_high_ping.voc");
    EXPECT_EQ(VoiceInventory[7].Target, &VoiceTitles);
    EXPECT_EQ(VoiceInventory[7].ByteBudget, 6879600u);
    EXPECT_STREQ(VoiceInventory[11].FileName, VoiceInventory[12].FileName);
    EXPECT_NE(VoiceInventory[11].Target, VoiceInventory[12].Target);
    for (const VoiceFile& v : VoiceInventory) EXPECT_EQ(v.ByteBudget % 4, 0u) << v.FileName;
}

// Each file sounds as the voice the game plays for it, by the game's names.
TEST(VoiceInventory, EachFileBecomesItsOwnVoice) {
    const char* expected[][2] = {
        {"brick_high_ping.voc", "VoiceBrickHigh"},
        {"brick_low_ping.voc", "VoiceBrickLow"},
        {"paddle_ping.voc", "VoicePaddle"},
        {"crash.voc", "VoiceCrash"},
        {"fanfare.voc", "VoiceFanfare"},
        {"expand.voc", "VoiceExpand"},
        {"warp2.voc", "VoiceWarp"},
        {"titles.voc", "VoiceTitles"},
        {"ships1.voc", "VoiceShips"},
        {"gameover.voc", "VoiceGameOver"},
        {"shrink.voc", "VoiceShrink"},
        {"lasers.voc", "VoiceLaserA"},
        {"lasers.voc", "VoiceLaserB"},
        {"bonus.voc", "VoiceBonus"},
    };
    for (int i = 0; i < VoiceCount; ++i) {
        EXPECT_STREQ(VoiceInventory[i].FileName, expected[i][0]) << i;
        EXPECT_STREQ(VoiceName(*VoiceInventory[i].Target), expected[i][1]) << i;
        EXPECT_EQ(VoiceNamed(expected[i][1]), VoiceInventory[i].Target) << i;
    }
    // By the game's name only, and nothing for a name of no voice.
    EXPECT_EQ(VoiceNamed("expand.voc"), nullptr);
    EXPECT_EQ(VoiceNamed("VoiceExpan"), nullptr);
    EXPECT_EQ(VoiceNamed(nullptr), nullptr);
}

}  // namespace
