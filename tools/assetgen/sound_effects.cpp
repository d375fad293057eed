// Short effects: pings, sweeps, the crash, the warp, the zap and the chime.
#include "audio.h"
#include "sequencer.h"
#include "synth.h"

namespace assetgen {

Samples BrickPing(bool high) {
    Bus mix(0.4f);
    const float f = high ? NoteFreq("E6") : NoteFreq("A5") / 1.5f;  // an octave and a fifth apart
    Tone ping{.Shape = Wave::Square,
              .Held = 0.02f,
              .Freq = f,
              .Duty = 0.25f,
              .Gain = 0.5f,
              .Env = {0.002f, 0.02f, 0.8f, 0.3f}};
    Render(mix, ping);
    Tone ring{.Shape = Wave::Sine, .Held = 0.02f, .Freq = f * 2, .Gain = 0.3f, .Env = {0.002f, 0.02f, 0.8f, 0.22f}};
    Render(mix, ring);
    return Finish(mix, high ? 5 : 4);
}

Samples PaddlePing() {
    Bus mix(0.35f);
    Tone body{.Shape = Wave::Triangle,
              .Held = 0.03f,
              .Freq = 300,
              .EndFreq = 392,
              .Gain = 0.7f,
              .Env = {0.002f, 0.03f, 0.8f, 0.26f}};
    Render(mix, body);
    Tone edge{.Shape = Wave::Square,
              .Held = 0.015f,
              .Freq = 784,
              .Duty = 0.5f,
              .Gain = 0.15f,
              .Env = {0.002f, 0.01f, 0.6f, 0.1f}};
    Render(mix, edge);
    return Finish(mix, 4);
}

Samples Crash() {
    Bus mix(1.15f);
    Tone blast{.Shape = Wave::Noise,
               .Held = 0.25f,
               .Gain = 0.8f,
               .Cutoff = 9000,
               .EndCutoff = 500,
               .Env = {0.003f, 0.2f, 0.5f, 0.85f},
               .Seed = 11};
    Render(mix, blast);
    Tone boom{
        .Shape = Wave::Sine, .Held = 0.3f, .Freq = 90, .EndFreq = 35, .Gain = 0.8f, .Env = {0.003f, 0.25f, 0.6f, 0.5f}};
    Render(mix, boom);
    // Crackles as the pieces fall.
    for (int i = 0; i < 9; ++i) {
        float t = 0.12f + i * 0.085f + (i % 3) * 0.02f;
        Tone crackle{.Shape = Wave::Noise,
                     .Start = t,
                     .Held = 0.01f,
                     .Gain = 0.35f * (1 - i / 10.f),
                     .Pan = (i % 2 ? 0.4f : -0.4f),
                     .Cutoff = 4000,
                     .Env = {0.001f, 0.01f, 0.5f, 0.05f},
                     .Seed = uint32_t(20 + i)};
        Render(mix, crackle);
    }
    return Finish(mix, 1.5f);
}

namespace {

// A square sweep over a triangle an octave below: rising for expand, falling for shrink.
Samples Sweep(float from, float to, float duty) {
    Bus mix(0.75f);
    Tone sweep{.Shape = Wave::Square,
               .Held = 0.55f,
               .Freq = from,
               .EndFreq = to,
               .Duty = duty,
               .Gain = 0.4f,
               .Vibrato = 1.2f,
               .VibratoRate = 14,
               .VibratoDelay = 0,
               .Env = {0.01f, 0.1f, 0.8f, 0.15f}};
    Render(mix, sweep);
    Tone under = sweep;
    under.Shape = Wave::Triangle;
    under.Freq /= 2;
    under.EndFreq /= 2;
    under.Gain = 0.4f;
    Render(mix, under);
    return Finish(mix, 6);
}

}  // namespace

Samples ExpandSweep() { return Sweep(180, 900, 0.5f); }

Samples ShrinkSweep() { return Sweep(900, 150, 0.3f); }

Samples WarpWhoosh() {
    // The paddle slides into the gate on the right for about five seconds.
    Bus mix(4.8f);
    Tone rush{.Shape = Wave::Noise,
              .Held = 2.6f,
              .Gain = 0.6f,
              .Pan = -0.6f,
              .EndPan = 0.8f,
              .Cutoff = 300,
              .EndCutoff = 6000,
              .Env = {1.2f, 0.5f, 0.9f, 2},
              .Seed = 31};
    Render(mix, rush);
    Tone rise{.Shape = Wave::Triangle,
              .Held = 3.6f,
              .Freq = 110,
              .EndFreq = 1400,
              .Gain = 0.35f,
              .Pan = -0.5f,
              .EndPan = 0.8f,
              .Vibrato = 0.6f,
              .VibratoRate = 7,
              .VibratoDelay = 0,
              .Env = {0.6f, 0.5f, 0.8f, 1.1f}};
    Render(mix, rise);
    Tone shimmer{.Shape = Wave::Square,
                 .Start = 1.5f,
                 .Held = 2.2f,
                 .Freq = 440,
                 .EndFreq = 2600,
                 .Duty = 0.125f,
                 .Gain = 0.08f,
                 .Pan = 0.2f,
                 .EndPan = 0.9f,
                 .Vibrato = 2,
                 .VibratoRate = 11,
                 .VibratoDelay = 0,
                 .Env = {0.8f, 0.3f, 0.8f, 1}};
    Render(mix, shimmer);
    return Finish(mix, 2);
}

Samples LaserZap() {
    Bus mix(0.3f);
    Tone zap{.Shape = Wave::Square,
             .Held = 0.14f,
             .Freq = 1900,
             .EndFreq = 260,
             .Duty = 0.25f,
             .Gain = 0.5f,
             .Env = {0.002f, 0.05f, 0.7f, 0.12f}};
    Render(mix, zap);
    Tone hiss{.Shape = Wave::Noise,
              .Held = 0.02f,
              .Gain = 0.2f,
              .Cutoff = 6000,
              .Env = {0.001f, 0.02f, 0.5f, 0.05f},
              .Seed = 41};
    Render(mix, hiss);
    return Finish(mix, 5);
}

Samples BonusChime() {
    Bus mix(1.3f);
    const char* notes[] = {"C6", "E6", "G6", "C7", "E7"};
    for (int i = 0; i < 5; ++i) {
        float f = NoteFreq(notes[i]);
        float pan = -0.5f + i * 0.25f;
        Tone bell{.Shape = Wave::Sine,
                  .Start = i * 0.07f,
                  .Held = 0.02f,
                  .Freq = f,
                  .Gain = 0.35f,
                  .Pan = pan,
                  .Env = {0.002f, 0.02f, 0.9f, 0.75f}};
        Render(mix, bell);
        Tone overtone = bell;
        overtone.Freq = f * 2.76f;  // a bell's inharmonic partial
        overtone.Gain = 0.1f;
        overtone.Env.Release = 0.3f;
        Render(mix, overtone);
        Tone edge{.Shape = Wave::Square,
                  .Start = i * 0.07f,
                  .Held = 0.03f,
                  .Freq = f,
                  .Duty = 0.125f,
                  .Gain = 0.06f,
                  .Pan = pan,
                  .Env = {0.002f, 0.02f, 0.6f, 0.1f}};
        Render(mix, edge);
    }
    return Finish(mix, 3);
}

}  // namespace assetgen
