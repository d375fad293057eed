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

// The longest a polled wait dozes before it looks again (milliseconds): an
// input event ends it sooner. While the page plays sound, well inside its
// lead; before (no gesture yet), a frame of 60 Hz. A wait's deadline is
// passed by at most this much.
constexpr uint32_t DozeMs = 8;
constexpr uint32_t SilentDozeMs = 16;

// What the sound needs at one moment: how many frames to move the mixer on
// without hearing them (the silent clock), and how many to mix for the page.
struct AudioStep {
    uint32_t Advance = 0;
    uint32_t Mix = 0;
};

// Keeps the mixer's output a little ahead of what the page plays. Until the
// page's audio runs (browsers start it only after a gesture), the mixer moves
// on the monotonic clock, as a silent device would, so that every voice lasts
// its length; from then on it moves as its frames are queued.
class AudioFeed {
public:
    static constexpr uint32_t Rate = 44100;
    // 35 ms: below what the ear notices between a bounce and its ping, and
    // still two frames of 60 Hz ahead, so that the top-up after each frame
    // (or each doze, DozeMs) comes with time to spare.
    static constexpr uint32_t LeadFrames = Rate * 35 / 1000;
    // Topped up only when this much is missing: the game polls often, and a
    // sliver of sound a poll would cost the page a buffer each.
    static constexpr uint32_t LeastTopUp = Rate * 4 / 1000;

    // queuedFrames: what the page still has to play, or nothing while its
    // audio does not run.
    AudioStep Pump(uint64_t nowMicros, std::optional<uint32_t> queuedFrames);

private:
    bool silent_ = false;
    uint64_t silentSince_ = 0;  // microseconds when the silent clock started
    uint64_t silentDone_ = 0;   // frames it has moved the mixer since
};

}  // namespace plat::web
