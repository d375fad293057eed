#include "platform/ring_feeder.h"

#include <algorithm>

namespace plat::core {

void RingFeeder::Start(uint32_t playPosition, uint64_t nowMicros) {
    clock_.Start(playPosition, nowMicros);
    start_ = playPosition % ring_;
    written_ = 0;
}

bool RingFeeder::Feed(const RingDevice& device, uint64_t nowMicros) {
    uint32_t play = 0, write = 0;
    const RingRead read = device.Position(&play, &write);
    if (read == RingRead::Lost) {
        // Until it is back the device plays nothing, and one that stays lost
        // has stopped. Back, it plays on from wherever its cursor now stands,
        // and what was mixed into it is gone: the mix goes on from where it
        // was. The memory it came back with holds nothing anybody wrote, so
        // the mix goes in from the play cursor on, at once.
        if (!device.Restore() || device.Position(&play, &write) != RingRead::Read) return !clock_.Stuck(nowMicros);
        clock_.Restart(play, nowMicros);
        // A buffer lost again as soon as it is back never plays: only its
        // playing counts as moving.
        if (clock_.Stuck(nowMicros)) return false;
        written_ = clock_.Played();
        start_ = static_cast<uint32_t>((play + ring_ - written_ % ring_) % ring_);
        const auto bytes = static_cast<uint32_t>(std::min<uint64_t>((write + ring_ - play) % ring_ + lead_, ring_));
        if (device.Fill(play % ring_, bytes)) written_ += bytes;
        return true;
    }
    if (read == RingRead::Failed) return !clock_.Stuck(nowMicros);
    const uint64_t played = clock_.Update(play, nowMicros);
    if (clock_.Stuck(nowMicros)) return false;
    const uint64_t gap = (write + ring_ - play) % ring_;
    // Fell behind the device: what it played meanwhile was old, but the
    // voices keep their time.
    if (written_ < played + gap) {
        device.Skip(played + gap - written_);
        written_ = played + gap;
    }
    const uint64_t target = played + gap + lead_;
    if (written_ >= target) return true;
    const auto bytes = static_cast<uint32_t>(std::min<uint64_t>(target - written_, ring_ - gap));
    if (!device.Fill(static_cast<uint32_t>((start_ + written_ % ring_) % ring_), bytes)) return true;
    written_ += bytes;
    return true;
}

}  // namespace plat::core
