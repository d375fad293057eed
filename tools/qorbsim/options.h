// qorb-sim's command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/pixel_packing.h"

struct SimOptions {
    std::string Assets;
    Packing PixelPacking = Packing::Rgb565;
    int64_t Seed = 0;
    std::string Script;
    bool Bot = false;
    int64_t Steps = -1;  // -1: no limit
    int64_t Games = -1;
    int64_t UntilMs = -1;  // virtual milliseconds; -1: no limit
    int32_t Round = 0;     // above 0: every game starts at this round
    bool Help = false;
    std::string Trace;
    std::string Record;
    struct Shot {
        uint64_t Call;  // after this play call
        std::string File;
    };
    std::vector<Shot> Shots;
    struct TimedShot {
        uint64_t Ms;  // at this virtual millisecond
        std::string File;
    };
    std::vector<TimedShot> TimedShots;
    uint64_t ShotEvery = 0;
    std::string ShotDir;
};

constexpr int32_t MaxRound = 99;

extern const char* const SimUsage;

// False with a reason in `error` for anything it cannot use.
bool ParseOptions(const std::vector<std::string>& args, SimOptions* options, std::string* error);
