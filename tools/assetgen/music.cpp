// The jingles and the two pieces of music: lead, counter-melody or
// arpeggio, bass and drums, all from the synthesiser's simple voices.
#include <string>
#include <vector>

#include "audio.h"
#include "sequencer.h"
#include "synth.h"

namespace assetgen {
namespace {

// Chord tones for arpeggios and bass, by chord name.
struct Chord {
    const char* Name;
    const char* Root;   // bass octave
    const char* Tones;  // arpeggio, four notes
};

const Chord* FindChord(const std::string& name) {
    static const Chord chords[] = {
        {"Am", "A2", "A4 C5 E5 A5"}, {"F", "F2", "F4 A4 C5 F5"},     {"C", "C3", "C4 E4 G4 C5"},
        {"G", "G2", "G4 B4 D5 G5"},  {"E", "E2", "E4 G#4 B4 E5"},    {"Em", "E2", "E4 G4 B4 E5"},
        {"Dm", "D2", "D4 F4 A4 D5"}, {"Bb", "Bb1", "Bb3 D4 F4 Bb4"}, {"A", "A1", "A3 C#4 E4 A4"},
    };
    for (const Chord& c : chords) {
        if (name == c.Name) return &c;
    }
    return &chords[0];
}

std::string Octave(const std::string& note, int shift) {
    size_t digit = note.find_first_of("0123456789");
    return note.substr(0, digit) + std::to_string(std::stoi(note.substr(digit)) + shift);
}

std::vector<std::string> Split(const std::string& s) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < s.size()) {
        size_t j = s.find(' ', i);
        if (j == std::string::npos) j = s.size();
        if (j > i) out.push_back(s.substr(i, j - i));
        i = j + 1;
    }
    return out;
}

// Eighth-note bass that jumps the octave: root, root, octave, root, ...
std::string BassBar(const Chord& c) {
    std::string r = c.Root, up = Octave(c.Root, 1);
    return r + ":2 " + r + ":2 " + up + ":2 " + r + ":2 " + r + ":2 " + up + ":2 " + r + ":2 " + up + ":2 ";
}

// Sixteenths up and down the chord.
std::string ArpBar(const Chord& c) {
    auto t = Split(c.Tones);
    const int order[] = {0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 1, 0, 1, 2, 3};
    std::string out;
    for (int i : order) out += t[size_t(i)] + ":1 ";
    return out;
}

Instrument Lead() {
    Instrument lead;
    lead.Shape = Wave::Square;
    lead.Duty = 0.25f;
    lead.Gain = 0.22f;
    lead.Pan = 0.1f;
    lead.Env = {0.006f, 0.12f, 0.65f, 0.09f};
    lead.Vibrato = 0.25f;
    lead.Legato = 0.9f;
    return lead;
}

Instrument Bass() {
    Instrument bass;
    bass.Shape = Wave::Triangle;
    bass.Gain = 0.5f;
    bass.Env = {0.004f, 0.08f, 0.8f, 0.04f};
    bass.Legato = 0.8f;
    return bass;
}

Instrument Arp() {
    Instrument arp;
    arp.Shape = Wave::Square;
    arp.Duty = 0.125f;
    arp.Gain = 0.07f;
    arp.Pan = -0.35f;
    arp.Env = {0.003f, 0.05f, 0.4f, 0.04f};
    arp.Legato = 0.7f;
    return arp;
}

}  // namespace

Samples Fanfare() {
    const float step = 0.09f;
    Bus mix(2.7f);
    Instrument lead = Lead();
    lead.Duty = 0.3f;
    lead.Gain = 0.25f;
    lead.Vibrato = 0.35f;
    Sequence(mix, "G4:2 C5:2 E5:2 G5:4 E5:2 G5:12", 0, step, lead);
    Instrument second = lead;
    second.Duty = 0.5f;
    second.Gain = 0.12f;
    second.Pan = -0.3f;
    Sequence(mix, "E4:2 G4:2 C5:2 E5:4 C5:2 E5:12", 0, step, second);
    Sequence(mix, "C3:6 G2:4 C3:14", 0, step, Bass());
    DrumLine(mix, "xxxx..X...X.", Drum::Snare, 0, step, 0.5f);
    Hit(mix, Drum::Crash, 10 * step, 0.6f);
    Hit(mix, Drum::Kick, 10 * step, 0.7f);
    return Finish(mix, 1.5f);
}

Samples GameOverJingle() {
    const float step = 0.11f;
    Bus mix(5.2f);
    Instrument lead = Lead();
    lead.Duty = 0.5f;
    lead.Vibrato = 0.4f;
    lead.Env.Release = 0.2f;
    Sequence(mix, "G5:3 F#5:3 F5:3 E5:6 C5:3 D#5:3 D5:3 C#5:3 C5:14", 0, step, lead);
    Instrument bass = Bass();
    bass.Legato = 0.95f;
    bass.Env.Release = 0.3f;
    Sequence(mix, "C3:3 -:3 C3:3 G2:6 Ab2:3 -:3 Ab2:3 G2:3 C2:14", 0, step, bass);
    DrumLine(mix, "X.....x..x.....X.....x..X.....", Drum::Tom, 0, step, 0.5f);
    Hit(mix, Drum::Crash, 25 * step, 0.5f);
    return Finish(mix, 1.5f);
}

Samples TitleMusic() {
    const float step = 0.125f;  // sixteenths at 120 beats a minute
    const float bar = 16 * step;
    const std::vector<std::string> chords = {"Am", "Am",                                   // intro
                                             "Am", "F",  "C",  "G",  "Am", "F", "G", "E",  // theme
                                             "F",  "G",  "Em", "Am", "F",  "E",            // bridge
                                             "Am", "Am"};                                  // close
    const char* melody =
        // theme
        "E5:4 A5:4 B5:2 C6:2 B5:2 A5:2 "
        "C6:6 A5:2 F5:4 A5:4 "
        "G5:4 E5:2 G5:2 C6:4 E6:4 "
        "D6:6 B5:2 G5:8 "
        "E5:4 A5:4 B5:2 C6:2 D6:2 E6:2 "
        "F6:4 E6:2 D6:2 C6:4 A5:4 "
        "B5:4 D6:4 G6:4 F6:2 D6:2 "
        "E6:8 G#5:4 B5:4 "
        // bridge
        "A5:2 C6:2 F6:4 E6:2 C6:2 A5:4 "
        "B5:2 D6:2 G6:4 F6:2 D6:2 B5:4 "
        "G5:2 B5:2 E6:4 D6:2 B5:2 G5:4 "
        "A5:2 C6:2 E6:4 A6:4 G6:4 "
        "F6:4 E6:4 D6:4 C6:4 "
        "B5:4 D6:4 E6:4 G#5:4 "
        // close
        "A5:24";
    Bus mix(bar * float(chords.size()) + 1.2f);
    Sequence(mix, melody, 2 * bar, step, Lead());
    // A quieter echo of the lead, an eighth late, on the other side.
    Instrument echo = Lead();
    echo.Gain = 0.06f;
    echo.Pan = -0.5f;
    echo.Duty = 0.5f;
    Sequence(mix, melody, 2 * bar + 2 * step, step, echo);
    std::string bass, arp;
    for (size_t i = 0; i + 2 < chords.size(); ++i) {
        bass += BassBar(*FindChord(chords[i]));
        if (i >= 2)
            arp += ArpBar(*FindChord(chords[i]));
        else
            arp += "-:16 ";
    }
    bass += "A1:24";
    Sequence(mix, bass, 0, step, Bass());
    Sequence(mix, arp, 0, step, Arp());
    for (size_t i = 0; i + 2 < chords.size(); ++i) {
        float t = i * bar;
        bool fill = i == 9 || i == 15;
        DrumLine(mix, "X.......X.x.....", Drum::Kick, t, step, 0.8f);
        DrumLine(mix, fill ? "....X.......XxXX" : "....X.......X...", Drum::Snare, t, step, 0.55f);
        DrumLine(mix, "x.x.x.x.x.x.x.X.", Drum::ClosedHat, t, step, 0.4f, 0.3f);
        if (i == 2 || i == 10) Hit(mix, Drum::Crash, t, 0.5f, -0.2f);
    }
    const float end = 16 * bar;
    Hit(mix, Drum::Crash, end, 0.6f);
    Hit(mix, Drum::Kick, end, 0.9f);
    return Finish(mix, 1.5f);
}

Samples IntroMusic() {
    const float step = 0.125f;
    const float bar = 16 * step;
    const std::vector<std::string> chords = {"Dm", "Bb", "C", "A", "Dm", "Bb", "A"};
    const char* melody =
        "D5:6 E5:2 F5:4 A5:4 "
        "Bb5:6 A5:2 F5:8 "
        "G5:4 C6:4 E5:4 G5:4 "
        "A5:8 C#6:4 E6:4 "
        "D6:6 C6:2 A5:4 F5:4 "
        "Bb5:4 D6:4 F6:4 E6:2 D6:2 "
        "C#6:4 E6:4 A6:8";
    Bus mix(bar * float(chords.size()) + 0.5f);
    Instrument lead = Lead();
    lead.Duty = 0.5f;
    lead.Gain = 0.2f;
    Sequence(mix, melody, 0, step, lead);
    std::string bass, arp;
    for (size_t i = 0; i < chords.size(); ++i) {
        const Chord& c = *FindChord(chords[i]);
        bass += i + 1 < chords.size() ? BassBar(c) : std::string(c.Root) + ":14";
        arp += ArpBar(c);
    }
    Sequence(mix, bass, 0, step, Bass());
    Sequence(mix, arp, 0, step, Arp());
    for (size_t i = 0; i < chords.size(); ++i) {
        float t = i * bar;
        if (i + 1 == chords.size()) {
            Hit(mix, Drum::Crash, t, 0.6f);
            Hit(mix, Drum::Kick, t, 0.9f);
            break;
        }
        // A marching beat that thickens as the scene builds.
        DrumLine(mix, "X...x...X...x...", Drum::Kick, t, step, 0.75f);
        DrumLine(mix, i < 2 ? "....X.......X..." : "....X..x....X.xx", Drum::Snare, t, step, 0.5f);
        if (i >= 2) DrumLine(mix, "x.x.x.x.x.x.x.x.", Drum::ClosedHat, t, step, 0.35f, -0.3f);
        if (i == 3) DrumLine(mix, "........X.x.X.XX", Drum::Tom, t, step, 0.45f);
    }
    return Finish(mix, 1.5f);
}

}  // namespace assetgen
