// How far a device has played through a looping buffer, told from its play
// position read now and then. For back ends that stream the mix through a
// ring; plain arithmetic, so that it is tested on every machine.
#pragma once

#include <cstdint>

namespace plat::core {

class RingClock {
public:
    // A ring of `ringBytes` played at `bytesPerSecond`; a position that has not
    // moved for `stuckMicros` means the device has stopped playing.
    RingClock(uint32_t ringBytes, uint32_t bytesPerSecond, uint64_t stuckMicros)
        : ring_(ringBytes), rate_(bytesPerSecond), stuckAfter_(stuckMicros) {}

    void Start(uint32_t position, uint64_t nowMicros);
    // Counts on from `position`, where a ring that was restored plays again:
    // nothing for the time it was gone, and it is still stuck if it stood
    // still too long in all.
    void Restart(uint32_t position, uint64_t nowMicros);
    // Bytes played since Start. The position alone cannot tell whole laps
    // apart; the time since the last reading can, so a reader that slept
    // through a lap or more still counts it.
    uint64_t Update(uint32_t position, uint64_t nowMicros);
    uint64_t Played() const { return played_; }
    bool Stuck(uint64_t nowMicros) const { return nowMicros - lastMoved_ >= stuckAfter_; }

private:
    uint32_t ring_;
    uint32_t rate_;
    uint64_t stuckAfter_;
    uint32_t lastPosition_ = 0;
    uint64_t lastReading_ = 0;
    uint64_t lastMoved_ = 0;
    uint64_t played_ = 0;
};

}  // namespace plat::core
