// Gamepads: the one mapping from a pad to the input the game reads, for
// every back end. A back end reads its pads as they stand (core::PadRead,
// core::PadGone); at each pump the core turns the pad that plays into the
// same motion, button and key events as a mouse and keyboard make.
//
//   left stick, right stick, d-pad   the paddle, as sideways motion
//   south (A, Cross)                 the mouse button and Enter
//   Start (Menu, Options)            F1: pause and resume
//   Back (View, Select, Share)       Escape: leave
//   north (Y, Triangle), paused      give up (F5): resume, then F5
//   Back, paused                     leave: resume, then Escape
//
// The game reads F5 and Escape only in play, so from the pause a pad taps F1
// and holds the key until the game has taken it, as the touch buttons do.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/input_event.h"
#include "platform/platform.h"

namespace plat::core {

// Numbered as the browser's standard gamepad layout numbers its buttons, so
// that a page hands its pads over as they come.
enum class PadButton : int32_t {
    South = 0,
    East = 1,
    West = 2,
    North = 3,
    LeftShoulder = 4,
    RightShoulder = 5,
    LeftTrigger = 6,
    RightTrigger = 7,
    Back = 8,
    Start = 9,
    LeftStick = 10,
    RightStick = 11,
    Up = 12,
    Down = 13,
    Left = 14,
    Right = 15,
    Home = 16,
};
constexpr int32_t PadButtonCount = 17;
constexpr uint32_t PadBit(PadButton button) { return uint32_t{1} << static_cast<int32_t>(button); }

// A pad as it stands: each stick from -1 to 1, right and down positive, and
// the buttons held, bit n for PadButton n.
struct PadReading {
    float LeftX = 0, LeftY = 0, RightX = 0, RightY = 0;
    uint32_t Buttons = 0;
};

namespace pad {

// A stick within this share of its travel from the centre is at rest: worn
// sticks come back off centre, and a thumb resting on one leans on it.
constexpr double DeadZone = 0.2;
// From here on a stick is at full tilt: few reach their very end sideways.
constexpr double FullTiltAt = 0.95;
// Past the dead zone, the share of full speed grows as the tilt's square: at
// 0.3 the paddle creeps a third of a pixel a frame, for an exact approach;
// from 0.95 on it crosses its 548 pixels of travel in 0.46 s.
constexpr double CurvePower = 2.0;
// Paddle pixels a second at full tilt.
constexpr double FullTiltSpeed = 1200.0;
// The d-pad has no tilt: held, it creeps at first, for a nudge, then speeds
// up to full speed.
constexpr double DpadCreepShare = 0.05;
constexpr uint64_t DpadCreepMicros = 150000;
constexpr uint64_t DpadRampMicros = 300000;
// The F1 tap that ends a pause before a give-up or a leave.
constexpr uint64_t TapMicros = 100000;
// The key that follows is held until the game leaves play, or this long.
constexpr uint64_t HoldLimitMicros = 5000000;
// Time beyond this between two pumps (a stalled game) moves the paddle no
// further: it would land where the player never saw it go.
constexpr uint64_t LongestStepMicros = 100000;
// At most this many pads are told apart; more are ignored.
constexpr size_t MostPads = 16;

// The share of full speed, from -1 to 1, of a stick's axis.
double StickShare(float axis);
// The share of full speed of a d-pad held this long.
double DpadShare(uint64_t heldMicros);

}  // namespace pad

// The mapping itself, plain arithmetic over the readings and the time, so
// that it is tested on every machine; the core keeps one and feeds its
// events (core::PadRead).
class PadMapper {
public:
    // The pad `pad` (any number the back end gives it) stands as read; a
    // number not seen before is a pad plugged in.
    void Read(int32_t pad, const PadReading& reading);
    // The pad was unplugged: whatever it held is let go at the next Advance.
    void Gone(int32_t pad);
    // The events for everything up to `nowMicros`. `steering`: the game holds
    // the mouse, so that motion means something.
    void Advance(uint64_t nowMicros, PlayState state, bool steering, std::vector<InputEvent>* out);
    // The pad that plays, or -1: the first that moved or pressed, until it is
    // unplugged; on the title, another pad that acts while it rests.
    int32_t Playing() const { return playing_; }
    // True while nothing is plugged in, held or under way.
    bool Idle() const;

private:
    struct Pad {
        int32_t Id = 0;
        PadReading Reading;
        bool Present = true;
    };
    // What the pads hold of the game's input, as last fed.
    struct Outputs {
        bool Button = false, Enter = false, F1 = false, Escape = false, F5 = false;
    };
    // A give-up or leave from the pause: tap F1, then hold the key.
    struct Errand {
        enum class Phase { None, WaitForF1Free, Tapping, Holding } Now = Phase::None;
        Key Then = Key::F5;
        uint64_t Started = 0, Since = 0;
    };

    Pad* Find(int32_t id);
    void ChoosePlayer(PlayState state);
    void RunErrand(uint64_t now, PlayState state, bool startHeld);
    double SteeringShare(const PadReading& reading, uint64_t now);

    std::vector<Pad> pads_;
    int32_t playing_ = -1;
    uint32_t lastButtons_ = 0;  // the playing pad's, at the last Advance
    bool backLeaves_ = false;   // Back went down outside the pause: Escape while held
    Errand errand_;
    Outputs fed_;
    static constexpr uint64_t NeverUp = UINT64_MAX;
    uint64_t f1UpAt_ = NeverUp;  // when the pads last let go of F1
    int32_t dpadWay_ = 0;        // -1 left, 1 right, 0 neither
    uint64_t dpadSince_ = 0;
    int64_t owed_ = 0;  // millionths of a pixel owed to the paddle, less than one pixel
    bool started_ = false;
    uint64_t last_ = 0;
};

}  // namespace plat::core
