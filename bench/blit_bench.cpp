// Opaque and keyed copies beside a memcpy of the same bytes, per pixel.
//
// Run: build/default/bench/blit_bench
// Each case reports per_pixel; the memcpy case of the same size is the
// yardstick for the ratio (aims: opaque within 1.5x, keyed within 3x).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace {

struct Sheets {
    plat::Surface* Src = nullptr;
    plat::Surface* Dst = nullptr;
    Sheets() {
        plat::headless::Reset();
        plat::DisplayCreate();
        plat::DisplayCreateSurface(800, 600, &Src);
        plat::DisplayCreateSurface(800, 600, &Dst);
        // A sprite sheet's mix: about a third of the words are the key.
        uint32_t seed = 12345;
        for (uint16_t& w : Src->Words) {
            seed = seed * 1103515245u + 12345u;
            w = (seed >> 16) % 3 == 0 ? 0 : static_cast<uint16_t>(seed >> 8);
        }
        plat::SetColorKey(Src, 0, 0);
    }
};

Sheets& Shared() {
    static Sheets sheets;
    return sheets;
}

void Report(benchmark::State& state, int64_t w, int64_t h) {
    // Seconds per pixel, printed with an SI prefix (n for nanoseconds).
    state.counters["per_pixel"] = benchmark::Counter(static_cast<double>(state.iterations() * w * h),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Memcpy(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    Sheets& s = Shared();
    for (auto _ : state) {
        for (int y = 0; y < h; ++y)
            std::memcpy(s.Dst->Words.data() + static_cast<size_t>(y) * s.Dst->PitchWords,
                        s.Src->Words.data() + static_cast<size_t>(y) * s.Src->PitchWords, static_cast<size_t>(w) * 2);
        benchmark::ClobberMemory();
    }
    Report(state, w, h);
}

template <plat::BlitMode Mode>
void BM_Blit(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    Sheets& s = Shared();
    const plat::Rect r = plat::RectAt(0, 0, w, h);
    for (auto _ : state) {
        plat::Blit(s.Dst, r, s.Src, r, Mode);
        benchmark::ClobberMemory();
    }
    Report(state, w, h);
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (auto [w, h] : {std::pair{47, 23}, {110, 19}, {100, 400}, {800, 600}}) b->Args({w, h});
}

BENCHMARK(BM_Memcpy)->Apply(Sizes);
BENCHMARK(BM_Blit<plat::BlitMode::Opaque>)->Name("BM_Opaque")->Apply(Sizes);
BENCHMARK(BM_Blit<plat::BlitMode::Keyed>)->Name("BM_Keyed")->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
