// Every global of round play in one list, with its type and its value at
// program start. The definitions in their own files take their first values
// from it, the trace writer writes the ones it marks in this order, and tests
// and tools put the game back as it starts with ResetPlayGlobals.
#pragma once

#include <cstdint>

// SCALAR(type, name, value at program start, written by the trace)
// RECORD(type, name): a record, at its default values at program start
#define QORB_PLAY_GLOBALS(SCALAR, RECORD)      \
    SCALAR(char, NewGamePending, 1, true)      \
    SCALAR(char, RoundSetupPending, 1, true)   \
    SCALAR(int32_t, RoundNumber, 1, true)      \
    SCALAR(int32_t, RoundFrameCount, 0, true)  \
    SCALAR(int32_t, Lives, 0, true)            \
    SCALAR(int32_t, Score, 0, true)            \
    SCALAR(int32_t, BricksLeft, 0, true)       \
    SCALAR(int32_t, FrameCycle, 0, true)       \
    SCALAR(int32_t, RepairColumn, 0, true)     \
    SCALAR(int32_t, RepairRow, 0, true)        \
    SCALAR(int32_t, BallX, 0, true)            \
    SCALAR(int32_t, BallY, 0, true)            \
    SCALAR(float, BallSpeed, 0, true)          \
    SCALAR(float, RoundStartSpeed, 5.5f, true) \
    SCALAR(char, BallHeld, 1, true)            \
    SCALAR(int32_t, HeldOffset, 40, true)      \
    SCALAR(int32_t, PaddleX, 0, true)          \
    SCALAR(int32_t, PaddleY, 550, true)        \
    SCALAR(char, Morphing, 0, true)            \
    SCALAR(int32_t, MorphTick, 0, true)        \
    SCALAR(char, FireLatch, 0, true)           \
    SCALAR(int32_t, BrickBounceCount, 0, true) \
    SCALAR(char, CapsuleActive, 0, true)       \
    SCALAR(int32_t, CapsuleColumn, 0, true)    \
    SCALAR(int32_t, CapsuleY, 0, true)         \
    SCALAR(int32_t, CapsuleAnimTick, 0, true)  \
    SCALAR(int32_t, CapsulePhase, 0, true)     \
    SCALAR(int32_t, CapsuleFrameY, 0, true)    \
    SCALAR(int32_t, CapsuleSheetX, 0, true)    \
    SCALAR(int32_t, GateFrame, 0, true)        \
    SCALAR(int32_t, GateTick, 0, true)         \
    SCALAR(int32_t, LaserCooldown, 0, true)    \
    SCALAR(char, TitleMusicPending, 1, false)  \
    SCALAR(char, TitleZoomPending, 1, false)   \
    RECORD(Ball, TheBall)                      \
    RECORD(Paddle, ThePaddle)                  \
    RECORD(Capsule, TheCapsule)                \
    RECORD(LaserPair, LaserPairA)              \
    RECORD(LaserPair, LaserPairB)              \
    RECORD(plat::MouseState, MouseState)

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
