// Timing rules of the browser back end, kept apart from the browser so that
// they can be tested anywhere.
#pragma once

#include <cstdint>
#include <optional>

namespace plat::web {

// Sixty flips a second on a screen of any refresh rate. The first flip waits
// for an animation frame and sets the beat there; from it, deadlines march on
// in exact sixtieths of a second, and each flip returns at the first
// animation frame that reaches its deadline. A faster screen (144 Hz) thus
// skips frames between flips; on a slower one a flip may find its deadline
// passed already, and returns after a bare yield. Either way the game makes
// 60 steps a second on average and never lags more than a frame behind the
// beat. After a stall (a hidden tab, a frozen page) the beat starts again
// from the next frame rather than racing to catch up.
class FramePacer {
public:
    static constexpr double PeriodMs = 1000.0 / 60.0;
    // Frame stamps wobble around the beat; one this early still counts. Below
    // a 240 Hz frame, so that fast screens keep an even rhythm.
    static constexpr double SlackMs = 3.0;
    static constexpr double MaxLagMs = PeriodMs * 6;

    enum class Wait { Yield, Frame };
    // A flip made at nowMs: what it must wait for before it returns.
    Wait Flip(double nowMs);
    // An animation frame while a flip waits: true when the flip may return.
    bool Frame(double stampMs);
    // The page was frozen: the next flip sets the beat again.
    void Restart() { started_ = false; }
    double Deadline() const { return deadline_; }

private:
    bool started_ = false;
    double deadline_ = 0;
};

// The least a polled wait dozes before it looks again (milliseconds): an
// input event ends it sooner. While the page plays sound, well inside its
// lead; before (no gesture yet), a frame of 60 Hz.
constexpr uint32_t DozeMs = 8;
constexpr uint32_t SilentDozeMs = 16;

// How long each polled wait dozes. The game asks for a few milliseconds at a
// time, and a wait's deadline is passed by at most DozeMs or SilentDozeMs.
// A wait right after news is the rest of an animation's step (the title's
// zoom waits out 10 ms from each picture's start after its flip): it dozes
// what it asks, so that the next picture keeps the beat. But when many short
// waits in a row brought nothing new (no flip, no input, no change to the
// sound), the game is only polling its keys, as on the waiting title; each
// wake then costs the browser more than the game's look, so the page wakes
// every QuietDozeMs: an input event still ends a doze at once, and the first
// playing voice's end (which a wait may poll for) ends it too. A page that
// plays sound holds half a second of it ahead: no doze lasts longer than
// HeardMostMs.
class DozePlan {
public:
    static constexpr uint32_t QuietAfter = 64;
    static constexpr uint32_t QuietDozeMs = 50;
    static constexpr uint32_t HeardMostMs = 250;

    // A wait of askedMs; news: something came since the last wait;
    // voiceEndsInMs: when the first playing voice ends.
    uint32_t Next(uint32_t askedMs, bool heard, bool news, uint64_t voiceEndsInMs);

private:
    uint32_t quiet_ = 0;  // short waits in a row with nothing new
};

// What the sound needs at one moment, in this order: move the mixer on
// unheard by Advance frames (the silent clock, or frames the page holds
// already); mix Mix frames for the page; then mix Ahead frames more from
// AheadSkip frames past where the mixer stands, without moving it. What is
// mixed goes to the page's frame SendAt and replaces all it held from there.
struct AudioStep {
    uint32_t Advance = 0;
    uint32_t Mix = 0;
    uint32_t AheadSkip = 0;
    uint32_t Ahead = 0;
    uint64_t SendAt = 0;
    uint32_t Send() const { return Mix + Ahead; }
};

// Keeps the mix ahead of what the page plays. Until the page's audio runs
// (browsers start it only after a gesture), the mixer moves on the monotonic
// clock, as a silent device would, so that every voice lasts its length.
//
// From then on the mixer itself stands Lead ahead of the page's play
// position: a voice the game starts is heard that much later. Beyond it the
// page holds the mix to come (Ahead), made without moving the mixer, so
// that a stalled page goes on playing what the mixer would give; it is made
// again from the mixer whenever the game starts, stops or moves a voice.
// Every frame the mixer gives is played once, in order: if the page played
// past the mixer (a change came late, or the page ran dry), the rest of the
// mix follows from a little after the play position.
class AudioFeed {
public:
    static constexpr uint32_t Rate = 44100;
    // What the player hears late: below the 40 ms at which sound is noticed
    // lagging the picture.
    static constexpr uint32_t LeadFrames = Rate * 36 / 1000;
    // How far ahead of the play position a new mix may still start: the
    // page's audio renders a device buffer (about 10 ms) at a time, and a
    // mix must reach it before. A change the game makes less than the lead
    // less this after the page last looked (a frame's wait, or DozeMs) is
    // heard when the mixer meant it.
    static constexpr uint32_t MarginFrames = Rate * 20 / 1000;
    // What a stalled page can ride over.
    static constexpr uint32_t AheadFrames = Rate * 500 / 1000;
    // The mix ahead is lengthened only when this much is missing: each piece
    // costs the page a message to its audio thread.
    static constexpr uint32_t LeastTopUp = Rate * 100 / 1000;

    // A browser slow to pass the page's pieces to its audio thread (WebKit on
    // a busy machine: 20 to 75 ms) has the start of a change reach the device
    // after its time, cut. The page says by how much; the lead grows by that
    // and a little more, up to MostLeadFrames, and does not shrink again: the
    // sound comes a little later rather than with its starts cut.
    static constexpr uint32_t MostLeadFrames = Rate * 90 / 1000;
    static constexpr uint32_t LateSpareFrames = Rate * 5 / 1000;
    void HeardLate(uint32_t frames);
    uint32_t Lead() const { return lead_; }

    // playedFrame: the page's play position, or nothing while its audio does
    // not run; changed: the game changed the mixer since the last pump.
    AudioStep Pump(uint64_t nowMicros, std::optional<uint64_t> playedFrame, bool changed);
    // Changes that came after the page had played past where they were due.
    uint64_t LateChanges() const { return late_; }
    // Times the page had run dry, or nearly, when pumped.
    uint64_t Dry() const { return dry_; }

private:
    uint32_t lead_ = LeadFrames;
    bool silent_ = false;
    uint64_t silentSince_ = 0;  // microseconds when the silent clock started
    uint64_t silentDone_ = 0;   // frames it has moved the mixer since
    bool playing_ = false;
    uint64_t mixer_ = 0;  // the page's frame where the mixer stands
    uint64_t held_ = 0;   // the end of what the page holds
    uint64_t late_ = 0;
    uint64_t dry_ = 0;
};

}  // namespace plat::web
