// What the last call of PlayFrame saw and did, for tools that trace a run.
#pragma once

#include <cstdint>

struct PlayFrameReport {
    // The call's own values.
    int32_t HitColumn = 0;
    int32_t HitRow = -1;
    int32_t BrickBroken = 0;
    int32_t CapsuleCaught = 0;
    // The clock value the field reset seeded the random numbers with.
    bool Seeded = false;
    int64_t SeedTime = 0;
    // A round set-up wrote the brick field.
    bool RoundBuilt = false;
    // A new game began at ForcedStartRound instead of round 1.
    bool RoundForced = false;
    // What the call read.
    enum class MouseRead { None, Failed, Read } Mouse = MouseRead::None;
    int32_t MouseX = 0;
    uint8_t Button = 0;
    bool Escape = false;
    bool F1 = false;
    bool F5 = false;
    // The call waits in the pause that F1 began, and has read no F1 to end it yet.
    bool Paused = false;
};

extern PlayFrameReport LastPlayFrame;

// Above 0, every new game starts at this round (tools that must reach late
// rounds); 0, the default, leaves the game as it is.
extern int32_t ForcedStartRound;
