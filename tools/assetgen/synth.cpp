#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <utility>

#include "exact_math.h"
#include "rng.h"

namespace assetgen {

Bus::Bus(float seconds) : Left(size_t(seconds * SampleRate)), Right(size_t(seconds * SampleRate)) {}

float Envelope::Level(float t, float held) const {
    auto holding = [&](float u) {
        if (u < Attack) return u / Attack;
        u -= Attack;
        if (u < Decay) return 1 - (1 - Sustain) * (u / Decay);
        return Sustain;
    };
    if (t < 0) return 0;
    if (t < held) return holding(t);
    float fromLevel = holding(held);
    float r = (t - held) / Release;
    return r >= 1 ? 0 : fromLevel * (1 - r) * (1 - r);
}

namespace {

// Band-limited step correction for the square's edges.
float PolyBlep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}

}  // namespace

void Render(Bus& mix, const Tone& tone) {
    const float total = tone.Held + tone.Env.Release;
    const size_t first = size_t(std::max(0.f, tone.Start) * SampleRate);
    const size_t count = size_t(total * SampleRate);
    const float twoPi = 2 * std::numbers::pi_v<float>;
    double phase = 0;
    float lowpass = 0;
    Rng rng(tone.Seed);
    // A fixed pan and a fixed filter cost their sines and exponentials once a
    // tone rather than once a sample (the same values either way).
    const bool panMoves = tone.EndPan >= -1, cutoffMoves = tone.EndCutoff > 0;
    const auto panGains = [](float pan) {
        const float angle = (pan + 1) * std::numbers::pi_v<float> / 4;
        return std::pair{std::cos(angle), std::sin(angle)};
    };
    const auto filter = [twoPi](float cutoff) {
        return std::pair{1 - std::exp(-twoPi * cutoff / SampleRate),
                         std::min(3.f, std::sqrt(SampleRate / (2 * cutoff)))};
    };
    const std::pair<float, float> fixedPan = panGains(tone.Pan);
    const std::pair<float, float> fixedFilter = tone.Cutoff > 0 ? filter(tone.Cutoff) : std::pair{0.f, 0.f};
    for (size_t i = 0; i < count && first + i < mix.Frames(); ++i) {
        float t = float(i) / SampleRate;
        float along = tone.Held > 0 ? std::min(t / tone.Held, 1.f) : 1.f;
        float freq = tone.EndFreq > 0 ? tone.Freq * std::pow(tone.EndFreq / tone.Freq, along) : tone.Freq;
        if (tone.Vibrato > 0 && t > tone.VibratoDelay) {
            float depth = tone.Vibrato * std::min(1.f, (t - tone.VibratoDelay) * 4);
            freq *= std::pow(2.f, depth / 12 * std::sin(twoPi * tone.VibratoRate * t));
        }
        float dt = freq / SampleRate;
        float p = float(phase);
        float v = 0;
        switch (tone.Shape) {
            case Wave::Square: {
                v = p < tone.Duty ? 1.f : -1.f;
                v += PolyBlep(p, dt);
                float q = p - tone.Duty + (p < tone.Duty ? 1 : 0);
                v -= PolyBlep(q, dt);
                v -= 2 * tone.Duty - 1;  // keep it centred at any duty
                break;
            }
            case Wave::Triangle: v = p < 0.5f ? 4 * p - 1 : 3 - 4 * p; break;
            case Wave::Sine: v = std::sin(twoPi * p); break;
            case Wave::Noise: {
                float white = rng.Unit() * 2 - 1;
                float cutoff = cutoffMoves ? tone.Cutoff * std::pow(tone.EndCutoff / tone.Cutoff, along) : tone.Cutoff;
                if (cutoff > 0) {
                    const auto [k, boost] = cutoffMoves ? filter(cutoff) : fixedFilter;
                    lowpass += (white - lowpass) * k;
                    v = lowpass * boost;
                } else {
                    v = white;
                }
                break;
            }
        }
        phase += dt;
        phase -= std::floor(phase);
        float amp = tone.Gain * tone.Env.Level(t, tone.Held);
        const auto [toLeft, toRight] =
            panMoves ? panGains(tone.Pan + (tone.EndPan - tone.Pan) * (t / total)) : fixedPan;
        mix.Left[first + i] += v * amp * toLeft * std::numbers::sqrt2_v<float>;
        mix.Right[first + i] += v * amp * toRight * std::numbers::sqrt2_v<float>;
    }
}

std::vector<int16_t> Finish(const Bus& mix, float peakDb) {
    float peak = 1e-9f;
    for (size_t i = 0; i < mix.Frames(); ++i) peak = std::max({peak, std::fabs(mix.Left[i]), std::fabs(mix.Right[i])});
    const float target = std::pow(10.f, -std::fabs(peakDb) / 20) * 32767;
    const float scale = target / peak;
    const size_t fade = std::min<size_t>(mix.Frames() / 4, SampleRate * 4 / 1000);
    std::vector<int16_t> out(mix.Frames() * 2);
    for (size_t i = 0; i < mix.Frames(); ++i) {
        float g = scale;
        if (i < fade) g *= float(i) / fade;
        if (mix.Frames() - 1 - i < fade) g *= float(mix.Frames() - 1 - i) / fade;
        out[i * 2] = int16_t(RoundHalfAway(std::clamp(mix.Left[i] * g, -target, target)));
        out[i * 2 + 1] = int16_t(RoundHalfAway(std::clamp(mix.Right[i] * g, -target, target)));
    }
    return out;
}

float NoteFreq(const char* name) {
    static const int semis[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G from C
    int s = semis[name[0] - 'A'];
    const char* p = name + 1;
    if (*p == '#') {
        ++s;
        ++p;
    } else if (*p == 'b') {
        --s;
        ++p;
    }
    int octave = std::atoi(p);
    int midi = (octave + 1) * 12 + s;
    return 440.f * std::pow(2.f, (midi - 69) / 12.f);
}

}  // namespace assetgen
