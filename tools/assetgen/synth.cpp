#include "synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
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

// Computes the tone's first `count` frames into left[i * step] and
// right[i * step], added to what is there or (to keep it) in its place.
// Each tone is a call of its own: the browser optimises a function only
// between calls, so a loop over a whole piece would run unoptimised.
template <bool Add>
[[gnu::noinline]] void RenderTone(const Tone& tone, size_t count, float* left, float* right, size_t step) {
    const float total = tone.Held + tone.Env.Release;
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
    for (size_t i = 0; i < count; ++i) {
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
        const float l = v * amp * toLeft * std::numbers::sqrt2_v<float>;
        const float r = v * amp * toRight * std::numbers::sqrt2_v<float>;
        if constexpr (Add) {
            left[i * step] += l;
            right[i * step] += r;
        } else {
            left[i * step] = l;
            right[i * step] = r;
        }
    }
}

// Everything a tone's samples depend on: all but where it starts, and the
// seed for the waves that draw no noise. Floats by their bits, so that
// equal keys mean the very same arithmetic.
using ToneKey = std::array<uint32_t, 18>;

ToneKey KeyOf(const Tone& t) {
    // A new field of Tone belongs in the key.
    static_assert(sizeof(Tone) == 19 * 4);
    const auto bits = [](float f) {
        uint32_t b;
        std::memcpy(&b, &f, sizeof b);
        return b;
    };
    return {uint32_t(t.Shape),   bits(t.Held),         bits(t.Freq),
            bits(t.EndFreq),     bits(t.Duty),         bits(t.Gain),
            bits(t.Pan),         bits(t.EndPan),       bits(t.Vibrato),
            bits(t.VibratoRate), bits(t.VibratoDelay), bits(t.Cutoff),
            bits(t.EndCutoff),   bits(t.Env.Attack),   bits(t.Env.Decay),
            bits(t.Env.Sustain), bits(t.Env.Release),  t.Shape == Wave::Noise ? t.Seed : 0};
}

}  // namespace

void Render(Bus& mix, const Tone& tone) { mix.Score.push_back(tone); }

namespace {

// Adds `count` interleaved frames to the mix at left and right.
[[gnu::noinline]] void AddFrames(const float* frames, size_t count, float* left, float* right) {
    for (size_t i = 0; i < count; ++i) {
        left[i] += frames[2 * i];
        right[i] += frames[2 * i + 1];
    }
}

}  // namespace

// The score's tones are added to the mix in their order. A tone heard more
// than once is computed once into a store kept until its last use; each
// frame still receives the same values in the same order.
void Mix(Bus& mix) {
    struct Sound {
        size_t Uses = 0, Length = 0;
        std::vector<float> Frames;  // left and right, interleaved
    };
    std::map<ToneKey, size_t> soundOf;
    std::vector<Sound> sounds;
    std::vector<size_t> soundAt, firstAt, lengthAt;
    for (const Tone& tone : mix.Score) {
        const size_t first = size_t(std::max(0.f, tone.Start) * SampleRate);
        const size_t count = size_t((tone.Held + tone.Env.Release) * SampleRate);
        const size_t length = first < mix.Frames() ? std::min(count, mix.Frames() - first) : 0;
        const auto [at, added] = soundOf.try_emplace(KeyOf(tone), sounds.size());
        if (added) sounds.emplace_back();
        Sound& sound = sounds[at->second];
        ++sound.Uses;
        sound.Length = std::max(sound.Length, length);
        soundAt.push_back(at->second);
        firstAt.push_back(std::min(first, mix.Frames()));  // past the end it adds nothing
        lengthAt.push_back(length);
    }
    for (size_t k = 0; k < mix.Score.size(); ++k) {
        Sound& sound = sounds[soundAt[k]];
        float* left = mix.Left.data() + firstAt[k];
        float* right = mix.Right.data() + firstAt[k];
        if (sound.Uses == 1 && sound.Frames.empty()) {
            RenderTone<true>(mix.Score[k], lengthAt[k], left, right, 1);
            continue;
        }
        if (sound.Frames.empty()) {
            sound.Frames.resize(2 * sound.Length);
            RenderTone<false>(mix.Score[k], sound.Length, sound.Frames.data(), sound.Frames.data() + 1, 2);
        }
        AddFrames(sound.Frames.data(), lengthAt[k], left, right);
        if (--sound.Uses == 0) std::vector<float>().swap(sound.Frames);
    }
    mix.Score.clear();
}

namespace {

// Finish's loops, a block of frames a call, for the browser as above.
constexpr size_t FinishBlock = 4096;

[[gnu::noinline]] float PeakOf(const float* left, const float* right, size_t count, float peak) {
    for (size_t i = 0; i < count; ++i) peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
    return peak;
}

// Frames [begin, end) of the mix as 16-bit samples at `out`.
[[gnu::noinline]] void Quantise(const Bus& mix, size_t begin, size_t end, float scale, float target, size_t fade,
                                int16_t* out) {
    for (size_t i = begin; i < end; ++i) {
        float g = scale;
        if (i < fade) g *= float(i) / fade;
        if (mix.Frames() - 1 - i < fade) g *= float(mix.Frames() - 1 - i) / fade;
        out[i * 2] = int16_t(RoundHalfAway(std::clamp(mix.Left[i] * g, -target, target)));
        out[i * 2 + 1] = int16_t(RoundHalfAway(std::clamp(mix.Right[i] * g, -target, target)));
    }
}

}  // namespace

std::vector<int16_t> Finish(Bus& mix, float peakDb) {
    Mix(mix);
    float peak = 1e-9f;
    for (size_t i = 0; i < mix.Frames(); i += FinishBlock)
        peak = PeakOf(&mix.Left[i], &mix.Right[i], std::min(FinishBlock, mix.Frames() - i), peak);
    const float target = std::pow(10.f, -std::fabs(peakDb) / 20) * 32767;
    const float scale = target / peak;
    const size_t fade = std::min<size_t>(mix.Frames() / 4, SampleRate * 4 / 1000);
    std::vector<int16_t> out(mix.Frames() * 2);
    for (size_t i = 0; i < mix.Frames(); i += FinishBlock)
        Quantise(mix, i, std::min(i + FinishBlock, mix.Frames()), scale, target, fade, out.data());
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
