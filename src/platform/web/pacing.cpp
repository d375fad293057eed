#include "platform/web/pacing.h"

#include <algorithm>

namespace plat::web {

FramePacer::Wait FramePacer::Flip(double nowMs) {
    if (!started_ || nowMs - deadline_ > MaxLagMs) {
        started_ = false;
        return Wait::Frame;
    }
    deadline_ += PeriodMs;
    return nowMs >= deadline_ - SlackMs ? Wait::Yield : Wait::Frame;
}

bool FramePacer::Frame(double stampMs) {
    if (!started_) {
        started_ = true;
        deadline_ = stampMs;
        return true;
    }
    return stampMs >= deadline_ - SlackMs;
}

AudioStep AudioFeed::Pump(uint64_t nowMicros, std::optional<uint32_t> queuedFrames) {
    AudioStep step;
    if (queuedFrames) {
        silent_ = false;
        if (*queuedFrames + LeastTopUp <= LeadFrames) step.Mix = LeadFrames - *queuedFrames;
        return step;
    }
    if (!silent_ || nowMicros < silentSince_) {
        silent_ = true;
        silentSince_ = nowMicros;
        silentDone_ = 0;
    }
    // Counted from the start, so that no fraction of a frame is lost between calls.
    const uint64_t due = (nowMicros - silentSince_) * Rate / 1000000;
    step.Advance = static_cast<uint32_t>(std::min<uint64_t>(due - silentDone_, UINT32_MAX));
    silentDone_ += step.Advance;
    return step;
}

}  // namespace plat::web
