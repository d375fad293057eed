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

uint32_t DozePlan::Next(uint32_t askedMs, bool heard, bool news, uint64_t voiceEndsInMs) {
    // A long wait, or the rest of one, is no poll.
    quiet_ = news || askedMs >= QuietDozeMs ? 0 : std::min(quiet_ + 1, QuietAfter);
    uint64_t ms = news ? askedMs : std::max(askedMs, heard ? DozeMs : SilentDozeMs);
    if (quiet_ == QuietAfter) ms = std::max(ms, std::min<uint64_t>(QuietDozeMs, voiceEndsInMs));
    return static_cast<uint32_t>(heard ? std::min<uint64_t>(ms, HeardMostMs) : ms);
}

void AudioFeed::HeardLate(uint32_t frames) {
    if (frames == 0) return;
    lead_ = static_cast<uint32_t>(std::min<uint64_t>(MostLeadFrames, uint64_t{lead_} + frames + LateSpareFrames));
}

AudioStep AudioFeed::Pump(uint64_t nowMicros, std::optional<uint64_t> playedFrame, bool changed) {
    AudioStep step;
    if (playedFrame) {
        silent_ = false;
        const uint64_t played = *playedFrame;
        if (!playing_) {
            playing_ = true;
            mixer_ = held_ = played + lead_;
            changed = true;
        }
        const uint64_t soonest = played + MarginFrames;
        if (changed) {
            // What the page holds from the mixer on was made before the change.
            if (mixer_ < soonest) {
                ++late_;
                mixer_ = soonest;
            }
            held_ = mixer_;
        } else if (held_ < soonest) {
            ++dry_;
            step.Advance = static_cast<uint32_t>(held_ - mixer_);
            mixer_ = held_ = soonest;
        }
        // The mixer moves to the lead: over what the page holds unheard,
        // mixed for the page beyond that.
        step.SendAt = held_;
        const uint64_t target = played + lead_;
        if (mixer_ < target) {
            const uint64_t held = held_ - mixer_;
            const uint64_t move = target - mixer_;
            step.Advance += static_cast<uint32_t>(std::min(held, move));
            step.Mix = static_cast<uint32_t>(move > held ? move - held : 0);
            mixer_ = target;
            held_ = std::max(held_, mixer_);
        }
        const uint64_t end = mixer_ + AheadFrames;
        if (step.Mix > 0 || changed || end >= held_ + LeastTopUp) {
            step.AheadSkip = static_cast<uint32_t>(held_ - mixer_);
            step.Ahead = static_cast<uint32_t>(end - held_);
            held_ = end;
        }
        return step;
    }
    playing_ = false;
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
