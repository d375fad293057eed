// Every global of round play in one list, with its type and its value at
// program start. This header declares them all, below every part of play:
// the definitions in their owners' files take their first values from it, the
// trace writer writes the ones it marks in this order, and tests and tools
// put the game back as it starts with ResetPlayGlobals.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "play/kinds.h"
#include "play/records.h"

// SCALAR(type, name, value at program start, written by the trace)
// RECORD(type, name): a record, at its default values at program start
// Each group is defined in the file named above it.
#define QORB_PLAY_GLOBALS(SCALAR, RECORD)                                                    \
    /* round_loop.cpp */                                                                     \
    SCALAR(char, NewGamePending, 1, true)                                                    \
    SCALAR(char, RoundSetupPending, 1, true)                                                 \
    /* status_panel.cpp */                                                                   \
    SCALAR(int32_t, RoundNumber, 1, true)                                                    \
    /* round_loop.cpp */                                                                     \
    SCALAR(int32_t, RoundFrameCount, 0, true)                                                \
    /* status_panel.cpp; Lives is also the program's mode: above 0 a game, 0 the title */    \
    SCALAR(int32_t, Lives, 0, true)                                                          \
    SCALAR(int32_t, Score, 0, true)                                                          \
    /* round_loop.cpp */                                                                     \
    SCALAR(int32_t, BricksLeft, 0, true)                                                     \
    SCALAR(int32_t, FrameCycle, 0, true)                                                     \
    SCALAR(int32_t, RepairColumn, 0, true)                                                   \
    SCALAR(int32_t, RepairRow, 0, true)                                                      \
    /* ball.cpp: the ball's top-left corner as the rules see it, and the speed level, the */ \
    /* ceiling of each speed component at the paddle */                                      \
    SCALAR(int32_t, BallX, 0, true)                                                          \
    SCALAR(int32_t, BallY, 0, true)                                                          \
    SCALAR(float, BallSpeed, 0, true)                                                        \
    SCALAR(float, RoundStartSpeed, 5.5f, true)                                               \
    SCALAR(char, BallHeld, 1, true)                                                          \
    SCALAR(int32_t, HeldOffset, 40, true)                                                    \
    /* paddle.cpp */                                                                         \
    SCALAR(int32_t, PaddleX, 0, true)                                                        \
    SCALAR(int32_t, PaddleY, 550, true)                                                      \
    SCALAR(char, Morphing, 0, true)                                                          \
    SCALAR(int32_t, MorphTick, 0, true)                                                      \
    SCALAR(char, FireLatch, 0, true)                                                         \
    /* ball_collision.cpp: hits on bricks that did not break since the last break or */      \
    /* paddle return */                                                                      \
    SCALAR(int32_t, BrickBounceCount, 0, true)                                               \
    /* capsules.cpp; the animation state is shared by every capsule */                       \
    SCALAR(char, CapsuleActive, 0, true)                                                     \
    SCALAR(int32_t, CapsuleColumn, 0, true)                                                  \
    SCALAR(int32_t, CapsuleY, 0, true)                                                       \
    SCALAR(int32_t, CapsuleAnimTick, 0, true)                                                \
    SCALAR(int32_t, CapsulePhase, 0, true)                                                   \
    SCALAR(int32_t, CapsuleFrameY, 0, true)                                                  \
    SCALAR(int32_t, CapsuleSheetX, 0, true)                                                  \
    /* round_loop.cpp: the exit gate in the right wall */                                    \
    SCALAR(int32_t, GateFrame, 0, true)                                                      \
    SCALAR(int32_t, GateTick, 0, true)                                                       \
    /* lasers.cpp: play steps until the next volley may fire */                              \
    SCALAR(int32_t, LaserCooldown, 0, true)                                                  \
    /* round_screens.cpp: the title screen's two flags, armed by every game over, here */    \
    /* below the title screen that clears them */                                            \
    SCALAR(char, TitleMusicPending, 1, false)                                                \
    SCALAR(char, TitleZoomPending, 1, false)                                                 \
    /* ball.cpp, paddle.cpp, capsules.cpp */                                                 \
    RECORD(Ball, TheBall)                                                                    \
    RECORD(Paddle, ThePaddle)                                                                \
    RECORD(Capsule, TheCapsule)                                                              \
    /* lasers.cpp: two volleys can be in flight at once, each sounding its own voice */      \
    RECORD(LaserPair, LaserPairA)                                                            \
    RECORD(LaserPair, LaserPairB)                                                            \
    /* paddle.cpp: what the mouse read of this play step gave */                             \
    RECORD(plat::MouseState, MouseState)

#define QORB_DECLARE_SCALAR(type, name, value, traced) extern type name;
#define QORB_DECLARE_RECORD(type, name) extern type name;
QORB_PLAY_GLOBALS(QORB_DECLARE_SCALAR, QORB_DECLARE_RECORD)
#undef QORB_DECLARE_SCALAR
#undef QORB_DECLARE_RECORD

// The values at program start, by name: AtStart::PaddleY.
namespace AtStart {
#define QORB_AT_START(type, name, value, traced) constexpr type name = value;
#define QORB_NO_RECORD(type, name)
QORB_PLAY_GLOBALS(QORB_AT_START, QORB_NO_RECORD)
#undef QORB_AT_START
#undef QORB_NO_RECORD
}  // namespace AtStart

// Puts every global of the list, and every cell of the brick field, back as
// the program starts.
void ResetPlayGlobals();
