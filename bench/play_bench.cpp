// The real processor time of one play step while the bot plays, beside a
// memcpy of the bytes that step draws; and set-up to the first title frame.
//
// Run: build/default/bench/play_bench (from anywhere; it finds the build's assets).
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "bot.h"
#include "gfx/pixel_packing.h"
#include "platform/headless/headless.h"
#include "play/play_globals.h"
#include "play/round_loop.h"
#include "play/status_panel.h"
#include "shell/devices.h"
#include "shell/entry.h"

namespace {

namespace headless = plat::headless;

// What the last play-step run drew per step, for the memcpy beside it.
double measuredPixelsPerStep = 60000;

// Every run starts as the program does, with the game's globals fresh.
bool Open() {
    std::filesystem::current_path(QORB_DEFAULT_ASSET_DIR);
    GamePacking = Packing::Rgb565;
    headless::Reset();
    ResetPlayGlobals();
    ExitStatus status;
    return OpenGame(&status);
}

// Passes of the frame loop with the bot at the controls until a play step runs.
void PlayUntilInRound(Bot& bot) {
    for (int pass = 0; pass < 100000 && !(Lives > 0 && RoundFrameCount >= 17); ++pass) {
        int code = 0;
        FramePass(&code);
        for (const plat::TimedInput& e : bot.Act(headless::NowMicros() / 1000 + 1)) headless::Schedule(e);
    }
}

void BM_PlayStep(benchmark::State& state) {
    if (!Open()) {
        state.SkipWithError("set-up failed");
        return;
    }
    Bot bot;
    PlayUntilInRound(bot);
    uint64_t pixels = 0, steps = 0;
    for (auto _ : state) {
        const uint64_t before = plat::GetStats().PixelsDrawn;
        int code = 0;
        FramePass(&code);
        for (const plat::TimedInput& e : bot.Act(headless::NowMicros() / 1000 + 1)) headless::Schedule(e);
        pixels += plat::GetStats().PixelsDrawn - before;
        ++steps;
        // Keep it a play step: a lost game restarts through the title.
        if (Lives == 0) {
            state.PauseTiming();
            PlayUntilInRound(bot);
            state.ResumeTiming();
        }
    }
    ShutdownDevices();
    measuredPixelsPerStep = static_cast<double>(pixels) / static_cast<double>(steps);
    state.counters["pixels_per_step"] = measuredPixelsPerStep;
}

// A memcpy of as many bytes as a play step draws, in rows like a blit's.
void BM_MemcpyOfAStep(benchmark::State& state) {
    const size_t pixels = static_cast<size_t>(measuredPixelsPerStep);
    state.counters["pixels"] = measuredPixelsPerStep;
    std::vector<uint16_t> from(800 * 600, 0x1234), to(800 * 600);
    for (auto _ : state) {
        for (size_t done = 0; done < pixels; done += 100)
            std::memcpy(to.data() + done % (800 * 500), from.data() + done % (800 * 500), 200);
        benchmark::ClobberMemory();
    }
}

void BM_SetupToFirstTitleFrame(benchmark::State& state) {
    for (auto _ : state) {
        bool first = false;
        headless::SetFlipObserver(nullptr);
        if (!Open()) {
            state.SkipWithError("set-up failed");
            return;
        }
        // The first title pass zooms for 207 frames; stop the clock at the first.
        headless::SetFlipObserver([&](uint64_t) {
            if (!first) {
                first = true;
                state.PauseTiming();
            }
        });
        int code = 0;
        FramePass(&code);
        headless::SetFlipObserver(nullptr);
        ShutdownDevices();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_PlayStep)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(false);
BENCHMARK(BM_MemcpyOfAStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetupToFirstTitleFrame)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
