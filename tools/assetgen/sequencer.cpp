#include "sequencer.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "exact_math.h"

namespace assetgen {

float Sequence(Bus& mix, std::string_view notes, float start, float step, const Instrument& instrument) {
    float t = start;
    size_t i = 0;
    uint32_t seed = 1;
    while (i < notes.size()) {
        while (i < notes.size() && notes[i] == ' ') ++i;
        if (i >= notes.size()) break;
        size_t colon = notes.find(':', i);
        size_t end = notes.find(' ', colon);
        if (end == std::string_view::npos) end = notes.size();
        std::string name(notes.substr(i, colon - i));
        const std::string steps(notes.substr(colon + 1, end - colon - 1));
        const char* stop = nullptr;
        float length = ReadFloat(steps.c_str(), &stop) * step;
        if (name != "-") {
            Tone tone;
            tone.Shape = instrument.Shape;
            tone.Duty = instrument.Duty;
            tone.Gain = instrument.Gain;
            tone.Pan = instrument.Pan;
            tone.Env = instrument.Env;
            tone.Vibrato = instrument.Vibrato;
            tone.Start = t;
            tone.Held = length * instrument.Legato;
            tone.Freq = NoteFreq(name.c_str()) * std::pow(2.f, instrument.Transpose / 12.f);
            tone.Seed = ++seed;
            Render(mix, tone);
        }
        t += length;
        i = end;
    }
    return t;
}

void Hit(Bus& mix, Drum drum, float time, float gain, float pan) {
    Tone body;
    body.Start = time;
    body.Pan = pan;
    body.Seed = uint32_t(time * 1000) + 7;
    switch (drum) {
        case Drum::Kick: {
            body.Shape = Wave::Sine;
            body.Freq = 150;
            body.EndFreq = 42;
            body.Held = 0.11f;
            body.Gain = gain;
            body.Env = {0.002f, 0.1f, 0.6f, 0.09f};
            Render(mix, body);
            Tone click = body;
            click.Shape = Wave::Noise;
            click.Cutoff = 2500;
            click.Held = 0.004f;
            click.Gain = gain * 0.4f;
            click.Env = {0.001f, 0.003f, 0.5f, 0.01f};
            Render(mix, click);
            break;
        }
        case Drum::Snare: {
            body.Shape = Wave::Noise;
            body.Cutoff = 7000;
            body.EndCutoff = 3000;
            body.Held = 0.04f;
            body.Gain = gain * 0.8f;
            body.Env = {0.001f, 0.04f, 0.5f, 0.14f};
            Render(mix, body);
            Tone tone = body;
            tone.Shape = Wave::Triangle;
            tone.Freq = 200;
            tone.EndFreq = 150;
            tone.Held = 0.03f;
            tone.Gain = gain * 0.6f;
            tone.Env = {0.001f, 0.03f, 0.4f, 0.06f};
            Render(mix, tone);
            break;
        }
        case Drum::ClosedHat:
        case Drum::OpenHat: {
            body.Shape = Wave::Noise;
            body.Held = drum == Drum::ClosedHat ? 0.01f : 0.08f;
            body.Gain = gain * 0.35f;
            body.Env = {0.001f, 0.01f, 0.6f, drum == Drum::ClosedHat ? 0.03f : 0.16f};
            Render(mix, body);
            break;
        }
        case Drum::Crash: {
            body.Shape = Wave::Noise;
            body.Cutoff = 11000;
            body.EndCutoff = 4000;
            body.Held = 0.12f;
            body.Gain = gain * 0.45f;
            body.Env = {0.002f, 0.1f, 0.7f, 1.3f};
            Render(mix, body);
            break;
        }
        case Drum::Tom: {
            body.Shape = Wave::Sine;
            body.Freq = 190;
            body.EndFreq = 95;
            body.Held = 0.14f;
            body.Gain = gain;
            body.Env = {0.002f, 0.12f, 0.5f, 0.12f};
            Render(mix, body);
            break;
        }
    }
}

void DrumLine(Bus& mix, std::string_view pattern, Drum drum, float start, float step, float gain, float pan) {
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == 'x')
            Hit(mix, drum, start + i * step, gain * 0.75f, pan);
        else if (pattern[i] == 'X')
            Hit(mix, drum, start + i * step, gain, pan);
    }
}

}  // namespace assetgen
