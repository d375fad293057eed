#include "platform/ring_clock.h"

namespace plat::core {

void RingClock::Start(uint32_t position, uint64_t nowMicros) {
    lastPosition_ = position % ring_;
    lastReading_ = lastMoved_ = nowMicros;
    played_ = 0;
}

void RingClock::Restart(uint32_t position, uint64_t nowMicros) {
    lastPosition_ = position % ring_;
    lastReading_ = nowMicros;
}

uint64_t RingClock::Update(uint32_t position, uint64_t nowMicros) {
    position %= ring_;
    const uint64_t moved = (uint64_t{position} + ring_ - lastPosition_) % ring_;
    const uint64_t elapsed = nowMicros > lastReading_ ? nowMicros - lastReading_ : 0;
    const uint64_t expected = elapsed * rate_ / 1000000;
    // A position that has not moved at all is a device that stopped, not one
    // that played exactly whole laps. Otherwise count the whole laps the
    // position cannot show: as many as bring the count nearest to what the
    // time says was played.
    uint64_t laps = 0;
    if (moved != 0) {
        if (expected > moved) laps = (expected - moved + ring_ / 2) / ring_;
        lastMoved_ = nowMicros;
    }
    played_ += moved + laps * ring_;
    lastPosition_ = position;
    lastReading_ = nowMicros;
    return played_;
}

}  // namespace plat::core
