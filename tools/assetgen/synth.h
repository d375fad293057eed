// A small synthesiser: square, triangle, sine and noise oscillators with
// envelopes and pitch sweeps, mixed into a stereo float buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace assetgen {

constexpr int SampleRate = 44100;

enum class Wave { Square, Triangle, Sine, Noise };

// Attack and decay to the sustain level while the note is held, then the
// release; every edge is a ramp, so no note starts or stops with a click.
struct Envelope {
    float Attack = 0.005f;
    float Decay = 0.1f;
    float Sustain = 0.7f;
    float Release = 0.08f;
    float Level(float t, float held) const;
};

struct Tone {
    Wave Shape = Wave::Square;
    float Start = 0;    // seconds
    float Held = 0.2f;  // seconds before the release begins
    float Freq = 440;
    float EndFreq = 0;  // when set, the pitch glides exponentially to it over the held time
    float Duty = 0.5f;  // squares
    float Gain = 0.3f;
    float Pan = 0;      // -1 left to +1 right
    float EndPan = -2;  // when set (>= -1), the pan moves to it
    float Vibrato = 0;  // depth in semitones
    float VibratoRate = 5.5f;
    float VibratoDelay = 0.15f;
    float Cutoff = 0;  // noise: one-pole low-pass in Hz; 0 leaves it white
    float EndCutoff = 0;
    Envelope Env;
    uint32_t Seed = 1;  // noise
};

// A piece's stereo mix. Its tones are kept in order and rendered together
// when it is finished, so that a tone heard again (the same note of the
// same instrument, wherever it starts) is computed once: the samples come
// out the same, and music, which repeats itself, is made far sooner.
struct Bus {
    std::vector<float> Left, Right;
    std::vector<Tone> Score;
    explicit Bus(float seconds);
    size_t Frames() const { return Left.size(); }
    float Seconds() const { return float(Frames()) / SampleRate; }
};

// Adds the tone to the mix.
void Render(Bus& mix, const Tone& tone);
// Renders the tones added so far into Left and Right (Finish begins so).
void Mix(Bus& mix);

// Renders the mix's tones, scales the mix so its peak sits at `peakDb`
// below full scale, fades the first and last few milliseconds, and
// interleaves it as 16-bit samples.
std::vector<int16_t> Finish(Bus& mix, float peakDb);

// Frequency of a note name such as "A4", "C#5" or "Bb3".
float NoteFreq(const char* name);

}  // namespace assetgen
