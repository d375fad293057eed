// Round set-up from any round number. The layouts are compiled in and the
// backdrops are the bitmap loader's files (fuzz_load_bmp reads those), so
// what is fuzzed here is what a round number chooses and draws: the layout,
// the picture, the status panel and the announcement's glyphs.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "bricks/brick_field.h"
#include "bricks/round_backdrop.h"
#include "bricks/round_layouts.h"
#include "platform/headless/headless.h"
#include "play/round_loop.h"
#include "play/round_screens.h"
#include "play/status_panel.h"
#include "shell/devices.h"
#include "sound/voice.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (chdir(QORB_DEFAULT_ASSET_DIR) != 0 || !SetupDevices()) {
        std::fprintf(stderr, "fuzz_round_setup: no game in %s: %s\n", QORB_DEFAULT_ASSET_DIR, SetupFailure.c_str());
        std::abort();
    }
    // The announcement would wait out the fanfare on every input.
    VoiceFanfare = Voice{};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int32_t numbers[2] = {};
    std::memcpy(numbers, data, size < sizeof numbers ? size : sizeof numbers);
    const int32_t round = numbers[0];
    RoundNumber = round;
    Score = numbers[1];
    Lives = 3;

    const int32_t picture = RoundPictureNumber(round);
    if (picture < 1 || picture > 11) __builtin_trap();
    // Each picture is read once; reading it again would only time the loader.
    static bool loaded[12] = {};
    if (!loaded[picture]) {
        LoadRoundBackdrop(round);
        loaded[picture] = true;
    }
    const int32_t layout = LayoutForRound(round);
    if (round >= 1 && (layout < 1 || layout > RoundLayoutCount)) __builtin_trap();
    BricksLeft = BuildRoundLayout(layout);
    if (BricksLeft < 1) __builtin_trap();
    DrawStatusPanel();
    ShowRoundAnnouncement(round);
    return 0;
}
