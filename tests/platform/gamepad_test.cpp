// The gamepad mapping: the dead zone and the curve, each button, the give-up
// and leave that only a pause allows, pads plugged in and out, and two pads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/core.h"
#include "platform/gamepad.h"
#include "platform/headless/headless.h"
#include "platform/input_event.h"
#include "platform/platform.h"

namespace {

using plat::InputEvent;
using plat::Key;
using plat::PlayState;
using plat::core::PadBit;
using plat::core::PadButton;
using plat::core::PadMapper;
using plat::core::PadReading;
namespace pad = plat::core::pad;

PadReading Buttons(std::initializer_list<PadButton> held) {
    PadReading r;
    for (PadButton b : held) r.Buttons |= PadBit(b);
    return r;
}
PadReading LeftStick(float x) {
    PadReading r;
    r.LeftX = x;
    return r;
}

// A mapper advanced a millisecond at a time, and the input the game would
// see from its events: keys and the button as they stand, motion added up.
struct Rig {
    PadMapper Mapper;
    uint64_t Now = 0;
    PlayState State = PlayState::Playing;
    bool Steering = true;
    bool Keys[4] = {};
    bool Button = false;
    int64_t Motion = 0;
    int Presses[4] = {};  // key presses seen
    int ButtonPresses = 0;
    std::vector<InputEvent> Last;

    void Run(uint64_t micros, uint64_t step = 1000) {
        for (uint64_t done = 0; done < micros; done += step) {
            Now += step;
            Last.clear();
            Mapper.Advance(Now, State, Steering, &Last);
            for (const InputEvent& e : Last) Take(e);
        }
    }
    void Take(const InputEvent& e) {
        switch (e.What) {
            case InputEvent::Kind::Motion:
                EXPECT_EQ(e.Dy, 0);
                Motion += e.Dx;
                break;
            case InputEvent::Kind::Button:
                ASSERT_EQ(e.Code, 0);
                EXPECT_NE(Button, e.Down) << "the button fed again as it stood";
                ButtonPresses += e.Down;
                Button = e.Down;
                break;
            case InputEvent::Kind::Key:
                ASSERT_GE(e.Code, 0);
                ASSERT_LT(e.Code, 4);
                EXPECT_NE(Keys[e.Code], e.Down) << "key " << e.Code << " fed again as it stood";
                Presses[e.Code] += e.Down;
                Keys[e.Code] = e.Down;
                break;
            default: ADD_FAILURE() << "a pad made an event of kind " << static_cast<int>(e.What);
        }
    }
    bool Held(Key k) const { return Keys[static_cast<int>(k)]; }
    int PressesOf(Key k) const { return Presses[static_cast<int>(k)]; }
    bool NothingHeld() const { return !Button && !Keys[0] && !Keys[1] && !Keys[2] && !Keys[3]; }
    // Motion over `micros` with the pad held as read.
    int64_t MotionOver(uint64_t micros, uint64_t step = 1000) {
        const int64_t before = Motion;
        Run(micros, step);
        return Motion - before;
    }
};

TEST(PadCurve, NothingInsideTheDeadZoneThenFromACreepToFullSpeedOnEachSide) {
    for (float rest : {0.0f, 0.05f, -0.1f, 0.2f, -0.2f}) EXPECT_EQ(pad::StickShare(rest), 0) << rest;
    // Just past the dead zone the paddle creeps: under a pixel a frame.
    EXPECT_GT(pad::StickShare(0.21f), 0);
    EXPECT_LT(pad::StickShare(0.3f) * pad::FullTiltSpeed / 60, 1.0);
    // Halfway along the live travel, a quarter of full speed: the square.
    EXPECT_NEAR(pad::StickShare(0.575f), 0.25, 1e-6);
    EXPECT_NEAR(pad::StickShare(-0.575f), -0.25, 1e-6);
    for (float full : {0.95f, 0.99f, 1.0f, 1.5f}) {
        EXPECT_DOUBLE_EQ(pad::StickShare(full), 1.0) << full;
        EXPECT_DOUBLE_EQ(pad::StickShare(-full), -1.0) << full;
    }
    // A number that is no tilt at all (a page's NaN) is rest.
    EXPECT_EQ(pad::StickShare(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(pad::StickShare(std::numeric_limits<float>::infinity()), 0);
    // Rising all the way, symmetric.
    double last = 0;
    for (int i = 1; i <= 100; ++i) {
        const float x = static_cast<float>(i) / 100;
        const double s = pad::StickShare(x);
        EXPECT_GE(s, last) << x;
        EXPECT_DOUBLE_EQ(pad::StickShare(-x), -s) << x;
        last = s;
    }
}

TEST(PadCurve, TheStickMovesThePaddleByItsSpeedForTheTimeHeldWithoutLosingFractions) {
    Rig rig;
    rig.Mapper.Read(1, LeftStick(1.0f));
    rig.Run(1000);                             // the look at which the pad takes the game has no time behind it
    EXPECT_EQ(rig.MotionOver(1000000), 1200);  // full tilt: 1200 px a second
    rig.Mapper.Read(1, LeftStick(-0.575f));
    EXPECT_EQ(rig.MotionOver(1000000), -300);  // a quarter of it, the other way
    // Far below a pixel a step still adds up: 12 px a second in steps of 1 ms.
    rig.Mapper.Read(1, LeftStick(0.275f));
    EXPECT_NEAR(rig.MotionOver(2000000), 24, 1);
    // Steps of any length give the same distance.
    rig.Mapper.Read(1, LeftStick(0.8f));
    const int64_t fine = rig.MotionOver(500000, 1000);
    const int64_t coarse = rig.MotionOver(500000, 16667);
    EXPECT_NEAR(fine, coarse, 1);
    EXPECT_NEAR(fine, 0.5 * 1200 * std::pow(0.6 / 0.75, 2), 1);
    // At rest nothing moves, and no fraction is owed to the next push.
    rig.Mapper.Read(1, LeftStick(0.1f));
    EXPECT_EQ(rig.MotionOver(1000000), 0);
    // Up and down steer nothing.
    PadReading upDown;
    upDown.LeftY = upDown.RightY = 1.0f;
    rig.Mapper.Read(1, upDown);
    EXPECT_EQ(rig.MotionOver(100000), 0);
}

TEST(PadCurve, TheRightStickAndTheDpadSteerTooAndTheStrongestWins) {
    Rig rig;
    PadReading r;
    r.RightX = -1.0f;
    rig.Mapper.Read(1, r);
    EXPECT_NEAR(rig.MotionOver(100000), -120, 2);
    r.LeftX = 0.5f;  // a slower push the other way loses to the right stick
    rig.Mapper.Read(1, r);
    EXPECT_NEAR(rig.MotionOver(100000), -120, 1);
    r.LeftX = 1.0f;
    r.RightX = -0.5f;
    rig.Mapper.Read(1, r);
    EXPECT_NEAR(rig.MotionOver(100000), 120, 1);

    // The d-pad creeps for a nudge, then speeds up to full speed.
    rig.Mapper.Read(1, Buttons({PadButton::Right}));
    const int64_t nudge = rig.MotionOver(pad::DpadCreepMicros);
    EXPECT_GE(nudge, 8);
    EXPECT_LE(nudge, 10);
    rig.MotionOver(pad::DpadRampMicros);
    EXPECT_NEAR(rig.MotionOver(100000), 120, 1);
    rig.Mapper.Read(1, Buttons({PadButton::Left}));  // the other way starts slow again
    EXPECT_GE(rig.MotionOver(100000), -7);
    rig.Mapper.Read(1, Buttons({PadButton::Left, PadButton::Right}));
    EXPECT_EQ(rig.MotionOver(100000), 0);
}

TEST(PadCurve, NoMotionOutsidePlayNorForTheTimeAGameStalled) {
    Rig rig;
    rig.Mapper.Read(1, LeftStick(1.0f));
    rig.Run(1000);
    for (PlayState s : {PlayState::Title, PlayState::Paused}) {
        rig.State = s;
        EXPECT_EQ(rig.MotionOver(500000), 0) << static_cast<int>(s);
    }
    rig.State = PlayState::Playing;
    rig.Steering = false;  // the game does not hold the mouse
    EXPECT_EQ(rig.MotionOver(500000), 0);
    rig.Steering = true;
    rig.Run(1000);
    // A game that stood still two seconds between pumps moves the paddle by
    // no more than a tenth of a second's worth.
    EXPECT_EQ(rig.MotionOver(2000000, 2000000), 120);
}

TEST(PadButtons, EachButtonIsTheKeyOrMouseButtonOfTheMapping) {
    for (PlayState state : {PlayState::Title, PlayState::Playing}) {
        Rig rig;
        rig.State = state;
        rig.Mapper.Read(1, Buttons({PadButton::South}));
        rig.Run(1000);
        EXPECT_TRUE(rig.Button);
        EXPECT_TRUE(rig.Held(Key::Enter));
        rig.Mapper.Read(1, Buttons({PadButton::Start}));
        rig.Run(1000);
        EXPECT_FALSE(rig.Button);
        EXPECT_FALSE(rig.Held(Key::Enter));
        EXPECT_TRUE(rig.Held(Key::F1));
        rig.Mapper.Read(1, Buttons({PadButton::Back}));
        rig.Run(1000);
        EXPECT_FALSE(rig.Held(Key::F1));
        EXPECT_TRUE(rig.Held(Key::Escape));
        rig.Mapper.Read(1, Buttons({}));
        rig.Run(1000);
        EXPECT_TRUE(rig.NothingHeld());
        // North gives up only in a pause; the others mean nothing at all.
        for (PadButton b :
             {PadButton::North, PadButton::East, PadButton::West, PadButton::LeftShoulder, PadButton::RightShoulder,
              PadButton::LeftTrigger, PadButton::RightTrigger, PadButton::LeftStick, PadButton::RightStick,
              PadButton::Up, PadButton::Down, PadButton::Home}) {
            rig.Mapper.Read(1, Buttons({b}));
            rig.Run(pad::HoldLimitMicros + 1000, 100000);
            rig.Mapper.Read(1, Buttons({}));
            rig.Run(1000);
            EXPECT_EQ(rig.Motion, 0) << static_cast<int>(b);
            EXPECT_EQ(rig.PressesOf(Key::F5), 0) << static_cast<int>(b);
        }
        EXPECT_EQ(rig.PressesOf(Key::F1), 1);
        EXPECT_EQ(rig.PressesOf(Key::Escape), 1);
        EXPECT_EQ(rig.ButtonPresses, 1);
        EXPECT_TRUE(rig.NothingHeld());
        // Bits past the last button are no buttons.
        PadReading stray;
        stray.Buttons = ~uint32_t{0} << plat::core::PadButtonCount;
        rig.Mapper.Read(1, stray);
        rig.Run(1000);
        EXPECT_TRUE(rig.NothingHeld());
    }
}

// Give up (F5) and leave (Escape) are read in play, not in the pause: from the
// pause the pad taps F1, which ends it, and holds the key until the game has
// left play, as the touch buttons do.
TEST(PadButtons, NorthInThePauseResumesAndHoldsF5UntilTheGameIsOver) {
    Rig rig;
    rig.State = PlayState::Paused;
    rig.Mapper.Read(1, Buttons({PadButton::North}));
    rig.Run(1000);
    EXPECT_TRUE(rig.Held(Key::F1));
    EXPECT_TRUE(rig.Held(Key::F5));
    rig.Mapper.Read(1, Buttons({}));  // a short press does it all
    rig.Run(pad::TapMicros);
    EXPECT_FALSE(rig.Held(Key::F1));
    EXPECT_TRUE(rig.Held(Key::F5));
    rig.State = PlayState::Playing;                   // the pause is over: the game reads F5 next
    rig.Mapper.Read(1, Buttons({PadButton::North}));  // pressed again meanwhile: nothing new
    rig.Run(50000);
    EXPECT_TRUE(rig.Held(Key::F5));
    rig.State = PlayState::Title;  // given up
    rig.Run(1000);
    EXPECT_TRUE(rig.NothingHeld());
    EXPECT_EQ(rig.PressesOf(Key::F1), 1);
    EXPECT_EQ(rig.PressesOf(Key::F5), 1);
}

TEST(PadButtons, BackInThePauseResumesAndHoldsEscapeAndAStartStillHeldIsLetGoFirst) {
    Rig rig;
    rig.Mapper.Read(1, Buttons({PadButton::Start}));
    rig.Run(1000);
    rig.State = PlayState::Paused;  // the game took F1 and waits for its release
    rig.Mapper.Read(1, Buttons({PadButton::Start, PadButton::Back}));
    rig.Run(200000);
    EXPECT_TRUE(rig.Held(Key::F1));
    EXPECT_FALSE(rig.Held(Key::Escape));
    // The release the pause waits for comes first, long enough to be read,
    // then the tap that ends it.
    rig.Mapper.Read(1, Buttons({PadButton::Back}));
    rig.Run(pad::TapMicros - 1000);
    EXPECT_FALSE(rig.Held(Key::F1));
    EXPECT_FALSE(rig.Held(Key::Escape));
    rig.Run(2000);
    EXPECT_EQ(rig.PressesOf(Key::F1), 2);
    EXPECT_TRUE(rig.Held(Key::F1));
    EXPECT_TRUE(rig.Held(Key::Escape));
    rig.Run(pad::TapMicros);
    EXPECT_FALSE(rig.Held(Key::F1));
    rig.Mapper.Read(1, Buttons({}));
    rig.State = PlayState::Playing;
    rig.Run(1000000);
    EXPECT_TRUE(rig.Held(Key::Escape));  // until the game has read it, whatever the button does
    // A game that never takes it (say, a ball lost meanwhile) lets it go in the end.
    rig.Run(pad::HoldLimitMicros);
    EXPECT_TRUE(rig.NothingHeld());
    EXPECT_EQ(rig.PressesOf(Key::Escape), 1);
    EXPECT_EQ(rig.PressesOf(Key::F5), 0);
}

TEST(PadHotPlug, APadUnpluggedLetsGoOfAllItHeldAndOnePluggedInPlays) {
    Rig rig;
    PadReading r = Buttons({PadButton::South, PadButton::Start, PadButton::Back});
    r.LeftX = 1.0f;
    rig.Mapper.Read(7, r);
    rig.Run(100000);
    EXPECT_EQ(rig.Mapper.Playing(), 7);
    EXPECT_TRUE(rig.Button && rig.Held(Key::Enter) && rig.Held(Key::F1) && rig.Held(Key::Escape));
    rig.Mapper.Gone(7);
    const int64_t moved = rig.Motion;
    rig.Run(100000);
    EXPECT_TRUE(rig.NothingHeld());
    EXPECT_EQ(rig.Motion, moved);
    EXPECT_EQ(rig.Mapper.Playing(), -1);
    EXPECT_TRUE(rig.Mapper.Idle());
    // Plugged in again (under a new number, as SDL gives it), it plays at once.
    rig.Mapper.Read(8, LeftStick(-1.0f));
    EXPECT_NEAR(rig.MotionOver(100000), -119, 1);  // from the second look: the first has no time behind it
    EXPECT_EQ(rig.Mapper.Playing(), 8);
    // A pad plugged in and out between two looks leaves nothing behind.
    rig.Mapper.Read(9, Buttons({PadButton::South}));
    rig.Mapper.Gone(9);
    rig.Run(1000);
    EXPECT_FALSE(rig.Button);
}

TEST(PadTwoPads, TheFirstThatActsPlaysAndTheOtherIsIgnoredUntilItLeaves) {
    Rig rig;
    rig.Mapper.Read(1, PadReading{});
    rig.Mapper.Read(2, PadReading{});
    rig.Run(1000);
    EXPECT_EQ(rig.Mapper.Playing(), -1);  // plugged in is not playing
    rig.Mapper.Read(2, LeftStick(1.0f));
    rig.Run(1000);
    EXPECT_EQ(rig.Mapper.Playing(), 2);
    // The other pushes and presses: nothing of it reaches the game, and the
    // one that plays is not held back.
    PadReading other = Buttons({PadButton::South, PadButton::Start, PadButton::Back});
    other.LeftX = -1.0f;
    rig.Mapper.Read(1, other);
    EXPECT_NEAR(rig.MotionOver(100000), 120, 1);
    EXPECT_TRUE(rig.NothingHeld());
    // Even at rest, in play, it keeps the game.
    rig.Mapper.Read(2, PadReading{});
    rig.Run(1000);
    EXPECT_EQ(rig.Mapper.Playing(), 2);
    EXPECT_TRUE(rig.NothingHeld());
    // Unplugged, the other takes over as soon as it acts.
    rig.Mapper.Gone(2);
    rig.Run(1000);
    EXPECT_EQ(rig.Mapper.Playing(), 1);
    EXPECT_TRUE(rig.Button && rig.Held(Key::F1) && rig.Held(Key::Escape));
    EXPECT_LT(rig.MotionOver(100000), 0);
}

TEST(PadTwoPads, OnTheTitleAPadAtRestHandsOverToAnotherThatActs) {
    Rig rig;
    rig.State = PlayState::Title;
    rig.Mapper.Read(1, Buttons({PadButton::South}));
    rig.Run(1000);
    rig.Mapper.Read(2, Buttons({PadButton::South}));  // both hold: the first keeps it
    rig.Run(1000);
    EXPECT_EQ(rig.Mapper.Playing(), 1);
    rig.Mapper.Read(1, PadReading{});
    rig.Run(1000);
    EXPECT_EQ(rig.Mapper.Playing(), 2);
    EXPECT_TRUE(rig.Button);  // held on, by the second now
    rig.Mapper.Read(2, PadReading{});
    rig.Run(1000);
    EXPECT_FALSE(rig.Button);
}

// The core's own mapper, as a back end reaches it: the game reads the pad
// through MouseRead and KeyDown, and the layer asks the game where it stands.
class PadInTheCore : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        ASSERT_TRUE(plat::InputCreate() && plat::MouseCreate() && plat::MouseAcquire());
    }
    void TearDown() override { plat::headless::Reset(); }
    static void IdleFor(uint32_t ms) {
        for (uint32_t i = 0; i < ms; ++i) plat::Idle();
    }
    static PlayState standing;
    static PlayState Standing() { return standing; }
};
PlayState PadInTheCore::standing = PlayState::Playing;

TEST_F(PadInTheCore, TheGameReadsThePadAsMouseAndKeysAndGivesUpOnlyFromThePause) {
    plat::core::PadRead(4, LeftStick(-1.0f));
    IdleFor(100);  // the first look takes the pad; the read's own look is a tenth of a second after it
    plat::MouseState mouse;
    ASSERT_TRUE(plat::MouseRead(&mouse));
    EXPECT_EQ(mouse.X, -120);
    EXPECT_EQ(plat::core::PlayingPad(), 4);

    plat::core::PadRead(4, Buttons({PadButton::South, PadButton::North}));
    EXPECT_TRUE(plat::KeyDown(Key::Enter));
    EXPECT_FALSE(plat::KeyDown(Key::F5));  // no source: never paused
    ASSERT_TRUE(plat::MouseRead(&mouse));
    EXPECT_NE(mouse.Buttons[0], 0);

    standing = PlayState::Paused;
    plat::SetPlayStateSource(Standing);
    plat::core::PadRead(4, Buttons({}));
    IdleFor(10);
    plat::core::PadRead(4, Buttons({PadButton::North}));
    EXPECT_TRUE(plat::KeyDown(Key::F1));
    IdleFor(100);
    EXPECT_FALSE(plat::KeyDown(Key::F1));
    EXPECT_TRUE(plat::KeyDown(Key::F5));
    standing = PlayState::Title;
    EXPECT_FALSE(plat::KeyDown(Key::F5));

    // Unplugged, it lets go; a reset forgets the pads and the source.
    plat::core::PadRead(4, Buttons({PadButton::Start}));
    EXPECT_TRUE(plat::KeyDown(Key::F1));
    plat::core::PadGone(4);
    EXPECT_FALSE(plat::KeyDown(Key::F1));
    plat::core::PadRead(5, Buttons({PadButton::Start}));
    plat::core::ResetAll();
    EXPECT_EQ(plat::core::PlayingPad(), -1);
    EXPECT_FALSE(plat::KeyDown(Key::F1));
}

}  // namespace
