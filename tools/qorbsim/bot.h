// A built-in player: it reads the game as a person reads the screen and
// answers only with mouse and key events.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/input_event.h"

class Bot {
public:
    // Events to apply from `atMs` on, given the game as it stands now.
    std::vector<plat::TimedInput> Act(uint64_t atMs);

private:
    std::vector<plat::TimedInput> OnTitle(uint64_t atMs);
    std::vector<plat::TimedInput> InPlay(uint64_t atMs);
    int32_t TargetPaddleX() const;

    bool startArranged_ = false;
    bool buttonDown_ = false;
    int aimIndex_ = 0;
    int32_t lastDirY_ = 0;
};
