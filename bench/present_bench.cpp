// The processor time of presenting one play frame through the SDL back end
// (SDL's dummy video driver, the software renderer, a 1024 x 768 window):
// what a step draws, as the game draws it, then the flip. Only the flip's
// conversion, comparison and scaling are ours; the wait for the tick sleeps
// and is not counted.
//
// Run: build/default/bench/present_bench
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"

namespace {

using namespace plat;

void BM_PresentPlayFrame(benchmark::State& state) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    sdl::Reset();
    DisplaySetWordLayout(WordLayout::Rgb565);
    Surface *primary = nullptr, *back = nullptr, *backdrop = nullptr;
    if (!RegisterWindowClass("QORBCLASS") || !CreateMainWindow("QORBCLASS", "Qorb", 0, 0, 800, 600) ||
        !DisplayCreate() || !DisplaySetCooperativeLevel() || !DisplaySetMode(800, 600, 16) ||
        !DisplayCreatePrimary(&primary) || !DisplayGetBackBuffer(&back) || !DisplayCreateSurface(800, 600, &backdrop)) {
        state.SkipWithError(LastError());
        return;
    }
    sdl::SetTestWindowSize(1024, 768);
    // A backdrop of stripes, on both pages.
    for (int32_t y = 0; y < 600; ++y) Fill(backdrop, RectAt(0, y, 800, 1), static_cast<uint16_t>(y * 97));
    for (int i = 0; i < 2; ++i) {
        Blit(back, RectAt(0, 0, 800, 600), backdrop, RectAt(0, 0, 800, 600), BlitMode::Opaque);
        Flip();
    }
    int32_t x = 100, dx = 3, frame = 0;
    for (auto _ : state) {
        // The ball's old place mended from the backdrop, the ball drawn anew.
        Blit(back, RectAt(x, 300, 12, 12), backdrop, RectAt(x, 300, 12, 12), BlitMode::Opaque);
        if (x + dx < 20 || x + dx > 620) dx = -dx;
        x += dx;
        // The paddle's row, the status panel and its six lines, every frame.
        Blit(back, RectAt(0, 540, 650, 20), backdrop, RectAt(0, 540, 650, 20), BlitMode::Opaque);
        Fill(back, RectAt(x - 30, 545, 72, 12), 0xFFFF);
        Blit(back, RectAt(670, 9, 100, 400), backdrop, RectAt(670, 9, 100, 400), BlitMode::Opaque);
        const std::string score = "SCORE " + std::to_string(frame / 30 * 10);
        for (int line = 0; line < 6; ++line)
            DrawText(back, 671, 20 + line * 40, score.c_str(), static_cast<int>(score.size()), 0xFFE0);
        Fill(back, RectAt(x, 300, 12, 12), 0x07E0);
        Flip();
        ++frame;
    }
    state.counters["drawn px/frame"] =
        benchmark::Counter(static_cast<double>(sdl::GetPresentCounters().PixelsDrawn) / static_cast<double>(frame + 2));
    sdl::Reset();
}

}  // namespace

BENCHMARK(BM_PresentPlayFrame)->Unit(benchmark::kMicrosecond)->Iterations(240)->Repetitions(3);

BENCHMARK_MAIN();
