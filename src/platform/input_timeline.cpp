#include "platform/input_timeline.h"

#include <algorithm>

#include "platform/core.h"

namespace plat::core {

void InputTimeline::Add(const TimedInput& event) {
    // After every event of the same time: those came first.
    const auto at = std::upper_bound(events_.begin(), events_.end(), event.AtMs,
                                     [](uint64_t t, const TimedInput& e) { return t < e.AtMs; });
    events_.insert(at, event);
}

void InputTimeline::FeedDue(uint64_t nowMicros) {
    size_t due = 0;
    // Feeding may pump the back end, which may call here again: take the due
    // events off first.
    while (due < events_.size() && events_[due].AtMs * 1000 <= nowMicros) ++due;
    const std::vector<TimedInput> taken(events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(due));
    events_.erase(events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(due));
    for (const TimedInput& e : taken) {
        if (e.Event.What == InputEvent::Kind::MouseFailure)
            SetLastError("MouseRead failed (the device was lost, as scripted)");
        Feed(e.Event);
    }
}

}  // namespace plat::core
