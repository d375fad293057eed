#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace {

namespace headless = plat::headless;

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset(headless::Config{.CaptureAudio = true});
        ASSERT_TRUE(plat::SoundCreate());
    }
    void TearDown() override { headless::Reset(); }

    // A buffer of `frames` stereo frames whose left and right samples are `value`.
    plat::SoundBuffer* Constant(uint32_t frames, int16_t value) {
        plat::SoundBuffer* b = plat::SoundCreateBuffer(frames * 4);
        std::vector<uint8_t> bytes(frames * 4);
        for (size_t i = 0; i < bytes.size(); i += 2) {
            bytes[i] = static_cast<uint8_t>(value);
            bytes[i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8);
        }
        EXPECT_TRUE(plat::SoundWrite(b, bytes.data(), static_cast<uint32_t>(bytes.size())));
        return b;
    }
};

TEST_F(MixerTest, ABufferPlaysForItsLengthThenRewinds) {
    // 176400 bytes are one second.
    plat::SoundBuffer* b = Constant(44100, 1000);
    ASSERT_TRUE(plat::SoundPlay(b));
    headless::AdvanceMs(999);
    EXPECT_EQ(plat::SoundStatus(b), plat::SoundStatusPlaying);
    headless::AdvanceMs(1);
    EXPECT_EQ(plat::SoundStatus(b), 0u);
    EXPECT_EQ(plat::SoundGetPosition(b), 0u);
    const auto& audio = headless::CapturedAudio();
    ASSERT_EQ(audio.size(), 44100u * 2);
    EXPECT_EQ(audio.front(), 1000);
    EXPECT_EQ(audio.back(), 1000);
}

TEST_F(MixerTest, StopKeepsThePositionAndPlayResumesFromIt) {
    plat::SoundBuffer* b = Constant(44100, 1);
    plat::SoundPlay(b);
    headless::AdvanceMs(250);
    plat::SoundStop(b);
    const uint32_t stoppedAt = plat::SoundGetPosition(b);
    EXPECT_EQ(stoppedAt, 11025u * 4);
    headless::AdvanceMs(500);
    EXPECT_EQ(plat::SoundGetPosition(b), stoppedAt);
    plat::SoundPlay(b);
    headless::AdvanceMs(749);
    EXPECT_EQ(plat::SoundStatus(b), plat::SoundStatusPlaying);
    headless::AdvanceMs(1);
    EXPECT_EQ(plat::SoundStatus(b), 0u);
}

TEST_F(MixerTest, PlayingBuffersAddWithSaturation) {
    plat::SoundBuffer* a = Constant(441, 30000);
    plat::SoundBuffer* b = Constant(441, 10000);
    plat::SoundBuffer* c = Constant(441, -20000);
    plat::SoundPlay(a);
    plat::SoundPlay(b);
    headless::AdvanceMs(5);
    plat::SoundPlay(c);
    headless::AdvanceMs(5);
    const auto& audio = headless::CapturedAudio();
    ASSERT_EQ(audio.size(), 441u * 2);
    EXPECT_EQ(audio[0], 32767);            // 40000, held at the top
    EXPECT_EQ(audio[441 * 2 - 1], 20000);  // all three together
    plat::SoundSetPosition(c, 0);
    plat::SoundStop(a);
    plat::SoundStop(b);
    plat::SoundPlay(c);
    plat::SoundPlay(Constant(441, -20000));
    headless::AdvanceMs(1);
    EXPECT_EQ(audio.back(), -32768);
}

TEST_F(MixerTest, PositionsAndBuffersAreChecked) {
    plat::SoundBuffer* b = Constant(10, 0);
    EXPECT_TRUE(plat::SoundSetPosition(b, 7));
    EXPECT_EQ(plat::SoundGetPosition(b), 4u);  // whole frames only
    EXPECT_FALSE(plat::SoundSetPosition(b, 40));
    std::vector<uint8_t> tooMany(44);
    EXPECT_FALSE(plat::SoundWrite(b, tooMany.data(), 44));
    EXPECT_EQ(plat::SoundCreateBuffer(3), nullptr);
    plat::SoundRelease();
    EXPECT_FALSE(plat::SoundPlay(b));  // gone with the device
    EXPECT_EQ(plat::SoundStatus(b), 0u);
    EXPECT_EQ(plat::SoundCreateBuffer(400), nullptr);  // no device
}

// The mix held ahead must be what the mixer gives when it gets there: voices
// that end inside it or before it, a ramp (no frame repeated or skipped),
// saturation; and only the game's own calls count as changes.
TEST_F(MixerTest, APeekAheadIsTheMixToComeAndMovesNothing) {
    plat::SoundBuffer* ramp = plat::SoundCreateBuffer(1000 * 4);
    std::vector<uint8_t> bytes(1000 * 4);
    for (uint32_t i = 0; i < 2000; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(i * 3);
        bytes[2 * i + 1] = static_cast<uint8_t>((i * 3) >> 8);
    }
    ASSERT_TRUE(plat::SoundWrite(ramp, bytes.data(), static_cast<uint32_t>(bytes.size())));
    plat::SoundBuffer* loud = Constant(300, 32700);
    plat::SoundBuffer* brief = Constant(50, -7);
    plat::SoundSetPosition(ramp, 100 * 4);
    for (plat::SoundBuffer* b : {ramp, loud, brief}) plat::SoundPlay(b);
    const uint64_t changes = plat::core::MixerChanges();

    std::vector<int16_t> peeked(700 * 2), skipped(400 * 2);
    plat::core::PeekFrames(peeked.data(), 700, 0);
    plat::core::PeekFrames(skipped.data(), 400, 280);
    EXPECT_EQ(plat::SoundGetPosition(ramp), 100u * 4) << "a peek moved a buffer";
    EXPECT_EQ(plat::SoundStatus(brief), plat::SoundStatusPlaying);
    EXPECT_EQ(plat::core::MixerChanges(), changes) << "a peek counted as a change";

    std::vector<int16_t> mixed(700 * 2);
    plat::core::MixFrames(mixed.data(), 280);
    plat::core::MixFrames(mixed.data() + 280 * 2, 420);
    EXPECT_EQ(peeked, mixed);
    EXPECT_EQ(std::vector<int16_t>(mixed.begin() + 280 * 2, mixed.begin() + 680 * 2), skipped);
    EXPECT_EQ(mixed[0], 32767) << "saturated";
    EXPECT_EQ(mixed[699 * 2], static_cast<int16_t>(799 * 2 * 3)) << "the ramp alone, unbroken";
    EXPECT_EQ(plat::core::MixerChanges(), changes) << "mixing counted as a change";
    std::vector<int16_t> past(10 * 2, 1);
    plat::core::PeekFrames(past.data(), 10, 5000);
    EXPECT_EQ(past, std::vector<int16_t>(20, 0)) << "every voice has ended by then";

    plat::SoundStop(ramp);
    plat::SoundSetPosition(loud, 0);
    EXPECT_EQ(plat::core::MixerChanges(), changes + 2);
    EXPECT_FALSE(plat::SoundPlay(nullptr));
    EXPECT_EQ(plat::core::MixerChanges(), changes + 2) << "a refused call changed nothing";
}

// Without a device the buffers play by the clock, frame by whole frame: a
// voice of 1000 frames (22675.7 microseconds) started on any microsecond is
// still playing a microsecond before its last frame is due and has stopped
// on it and after it, however the time was read on the way.
TEST_F(MixerTest, TheSilentClockEndsAVoiceOnItsLastFrameNotAMicrosecondEarlyOrLate) {
    for (const uint64_t startAt : {0u, 1u, 12345u, 999999u, 1000000u, 3456789u}) {
        SCOPED_TRACE("started at " + std::to_string(startAt) + " us");
        headless::Reset();
        ASSERT_TRUE(plat::SoundCreate());
        ASSERT_TRUE(plat::SoundCreateSilent());
        plat::SoundBuffer* b = Constant(1000, 1);
        headless::AdvanceMicros(startAt);
        ASSERT_TRUE(plat::SoundPlay(b));
        // The clock counts frames from its own start; the voice starts in
        // the frame under way and ends 1000 frames on.
        const uint64_t startFrame = startAt * plat::SoundRate / 1000000;
        const uint64_t endsAt = ((startFrame + 1000) * 1000000 + plat::SoundRate - 1) / plat::SoundRate;
        // Read now and then on the way, at uneven times.
        for (uint64_t t = startAt + 997; t + 1 < endsAt; t += 1733) {
            headless::AdvanceMicros(t - headless::NowMicros());
            ASSERT_EQ(plat::SoundStatus(b), plat::SoundStatusPlaying) << t;
        }
        headless::AdvanceMicros(endsAt - 1 - headless::NowMicros());
        EXPECT_EQ(plat::SoundStatus(b), plat::SoundStatusPlaying) << "a microsecond early";
        EXPECT_EQ(plat::SoundGetPosition(b), 999u * 4);
        headless::AdvanceMicros(1);
        EXPECT_EQ(plat::SoundStatus(b), 0u) << "on its last frame";
        EXPECT_EQ(plat::SoundGetPosition(b), 0u);
        headless::AdvanceMicros(1);
        EXPECT_EQ(plat::SoundStatus(b), 0u) << "a microsecond late";
    }
}

}  // namespace
