// State shared by the files of the browser back end. Not for the game.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/input_timeline.h"
#include "platform/platform.h"
#include "platform/web/pacing.h"
#include "platform/web/rgba_page.h"

namespace plat::web::detail {

struct Backend {
    bool Window = false;
    // Since the last polled wait: a flip, input, a change to the sound.
    bool News = false;
    DozePlan Dozes;
    // Display
    FramePacer Pacer;
    RgbaPage Rgba;
    std::vector<uint16_t> OnScreen;  // the words the canvas shows
    std::vector<Rect> Changed;       // what the last show put on it
    bool PrimaryPending = false;     // a draw on the primary waits to be shown
    uint64_t LastShown = 0;
    // Sound
    bool Audio = false;
    AudioFeed Feed;
    std::vector<int16_t> Mix;
    uint64_t MixerChanges = 0;  // the mixer's count of changes at the last pump
    uint64_t LateChangesTold = 0;
    // Input
    bool Captured = false;
    core::InputTimeline Scheduled;
    void (*PumpHook)() = nullptr;
};

extern Backend state;

// A draw straight onto the visible page shows within one sixtieth.
constexpr uint64_t PendingMicros = 16667;

// In display.cpp: puts what differs in `page` from what the canvas holds on it.
void Show(const Surface& page);
// In display.cpp: puts the whole visible page on the canvas again if the page lost it.
void ShowAgainIfLost();
// In audio.cpp: keeps the mix ahead of what the page plays.
void PumpAudio();
// In input.cpp: feeds the page's recorded input to the core.
void TakeInput();
// In input.cpp: hands the page's gamepads to the core.
void TakePads();

}  // namespace plat::web::detail
