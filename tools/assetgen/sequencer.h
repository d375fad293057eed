// Music from text: notes written as "E5:4 A5:2 -:2" (name and length in
// steps, "-" a rest) and drum lines as "x...x...", played by instruments
// of the synthesiser.
#pragma once

#include <string_view>

#include "synth.h"

namespace assetgen {

struct Instrument {
    Wave Shape = Wave::Square;
    float Duty = 0.5f;
    float Gain = 0.25f;
    float Pan = 0;
    Envelope Env;
    float Vibrato = 0;
    float Legato = 0.85f;  // share of a note's length that it is held
    int Transpose = 0;     // semitones
};

// Plays `notes` from `start`, `step` seconds per length unit; returns the
// time after the last note.
float Sequence(Bus& mix, std::string_view notes, float start, float step, const Instrument& instrument);

enum class Drum { Kick, Snare, ClosedHat, OpenHat, Crash, Tom };

void Hit(Bus& mix, Drum drum, float time, float gain, float pan = 0);
// One hit per 'x' (accented 'X'), one step per character; '.' is silence.
void DrumLine(Bus& mix, std::string_view pattern, Drum drum, float start, float step, float gain, float pan = 0);

}  // namespace assetgen
