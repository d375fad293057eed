// Input waiting for its time: a script's, a built-in player's. Events at one
// time keep the order in which they were added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/input_event.h"

namespace plat::core {

class InputTimeline {
public:
    void Add(const TimedInput& event);
    // Feeds the core every event due at `nowMicros` or before, in order.
    void FeedDue(uint64_t nowMicros);
    size_t Pending() const { return events_.size(); }
    void Clear() { events_.clear(); }

private:
    std::vector<TimedInput> events_;  // sorted by time, then by when added
};

}  // namespace plat::core
