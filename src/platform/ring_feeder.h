// The feeder of a looping device buffer that the mixer streams through: how
// far the device has played, where the next mix goes, and when the device
// has stopped. Plain arithmetic over a device the back end describes, so
// that it is tested on every machine with a scripted one.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/ring_clock.h"

namespace plat::core {

enum class RingRead { Read, Lost, Failed };

// The device's side, as the back end provides it.
struct RingDevice {
    // The play and write cursors, or Lost when the buffer's memory was taken away.
    std::function<RingRead(uint32_t* play, uint32_t* write)> Position;
    // Brings a lost buffer back and plays it again; false when it cannot.
    std::function<bool()> Restore;
    // Mixes `bytes` into the ring from `offset` on (wrapping at its end);
    // false when the ring could not be written.
    std::function<bool(uint32_t offset, uint32_t bytes)> Fill;
    // The device played `bytes` the mixer never filled: the voices move on.
    std::function<void(uint64_t bytes)> Skip;
};

class RingFeeder {
public:
    // A ring of `ringBytes` played at `bytesPerSecond`, filled `leadBytes`
    // ahead of the write cursor; a position that stands still `stuckMicros`
    // is a device that stopped.
    RingFeeder(uint32_t ringBytes, uint32_t bytesPerSecond, uint32_t leadBytes, uint64_t stuckMicros)
        : clock_(ringBytes, bytesPerSecond, stuckMicros), ring_(ringBytes), lead_(leadBytes) {}

    // The device plays from `playPosition`, with nothing of ours in the ring.
    void Start(uint32_t playPosition, uint64_t nowMicros);
    // One wake-up of the feeder; false once the device has stopped playing.
    bool Feed(const RingDevice& device, uint64_t nowMicros);
    uint64_t Played() const { return clock_.Played(); }
    // Where the mix in the ring ends, counted as Played() counts.
    uint64_t Written() const { return written_; }

private:
    RingClock clock_;
    uint32_t ring_;
    uint32_t lead_;
    uint32_t start_ = 0;  // where in the ring the count of bytes begins
    uint64_t written_ = 0;
};

}  // namespace plat::core
