// A game set up on the headless back end with the test asset folder, ready
// for PlayFrame.
#pragma once

#include "bricks/brick_field.h"
#include "play/play_globals.h"
#include "play/round_loop.h"
#include "play/status_panel.h"
#include "shell/devices.h"
#include "sound/voice.h"
#include "support/asset_folder.h"

namespace testing_support {

class RoundTest : public AssetFolderTest {
protected:
    void SetUp() override {
        AssetFolderTest::SetUp();
        ResetPlayGlobals();
        ASSERT_TRUE(SetupDevices()) << SetupFailure;
        Lives = 3;
    }
    void TearDown() override {
        ResetPlayGlobals();
        AssetFolderTest::TearDown();
    }
    // The sixteen calls that open a round; the last one plays.
    void Settle() {
        for (int call = 0; call < 16; ++call) ASSERT_EQ(PlayFrame(), 1);
    }
    static uint64_t Flips() { return plat::GetStats().Flips; }
    static uint64_t NowMs() { return plat::headless::NowMicros() / 1000; }
    static bool Sounding(const Voice& voice) { return plat::SoundStatus(voice.Buffer) == plat::SoundStatusPlaying; }
};

// A settled round with no brick in the field, for the parts of play that
// must meet nothing on their way.
class EmptyFieldTest : public RoundTest {
protected:
    void SetUp() override {
        RoundTest::SetUp();
        Settle();
        ClearField();
    }
    static void ClearField() {
        for (auto& column : BrickField)
            for (auto& cell : column) cell = BrickCell{};
    }
};

}  // namespace testing_support
