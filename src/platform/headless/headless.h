// Control of the headless back end, for tests, tools and benchmarks.
//
// Time is virtual: idle calls and flips move the clock instead of waiting,
// sound buffers play against it, and input arrives from a timeline.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/input_event.h"
#include "platform/platform.h"

namespace plat::headless {

struct Config {
    uint32_t StartTicks = 0;    // tick count at virtual time 0
    int64_t StartSeconds = 0;   // calendar clock at virtual time 0
    uint32_t RgbBitCount = 16;  // what the display reports
    bool CaptureAudio = false;  // keep every mixed frame (tests of the mixer)
};

// Releases everything and starts again at virtual time 0.
void Reset(const Config& config = Config{});

uint64_t NowMicros();
void AdvanceMicros(uint64_t micros);
void AdvanceMs(uint32_t ms);

// Set-up steps that can be made to fail.
using Step = core::Step;
// The next `times` calls of the step fail (default: every call from now on).
inline void FailStep(Step step, uint32_t times = UINT32_MAX) { core::FailStep(step, times); }

// What the next presents and restores of the display report, in order;
// afterwards they succeed again. Each restore takes `restoreMicros` of
// virtual time, as a slow driver's would.
void ScriptPresents(std::vector<backend::PresentResult> results);
void ScriptRestores(std::vector<backend::RestoreResult> results, uint64_t restoreMicros = 0);

// The input timeline. Events take effect when virtual time reaches them;
// an event at or before the current time takes effect at once.
void Schedule(const TimedInput& event);
// Events scheduled that have not yet taken effect.
size_t PendingEvents();

// What exists now, for set-up and shutdown tests.
using Devices = core::Devices;
inline Devices Live() { return core::Live(); }

Surface* Primary();
Surface* Back();

// The primary surface as 8-bit RGB triples, row by row from the top.
std::vector<uint8_t> PrimaryRgb();
// Writes the primary surface as a 24-bit PNG; false with a reason on failure.
bool SavePrimaryPng(const std::string& path, std::string* error);

// Called after every flip with the number of flips so far; tests look at
// the frames of long sequences through it. Cleared by Reset.
void SetFlipObserver(std::function<void(uint64_t flips)> observer);

// Called whenever virtual time moves on, with the new time; cleared by Reset.
void SetClockObserver(std::function<void(uint64_t micros)> observer);

// Every mixed frame since Reset, when Config::CaptureAudio is on.
const std::vector<int16_t>& CapturedAudio();

}  // namespace plat::headless
