// The sound device: the layer's Windows-shaped calls over the back end's
// audio device, and the silent clock that stands in when there is none.
#include <algorithm>
#include <string>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/core_state.h"
#include "platform/platform.h"

namespace plat {
namespace {

using core::detail::Failing;
using core::detail::Flags;
using core::detail::Need;

// Without a device the buffers play by the clock: frames since the clock
// started, counted from absolute time so that no rounding accumulates.
struct SilentClock {
    bool Running = false;
    uint64_t StartFrame = 0;
    uint64_t FramesDone = 0;
};
SilentClock silent;

uint64_t FrameAt(uint64_t micros) { return micros / 1000000 * SoundRate + micros % 1000000 * SoundRate / 1000000; }

}  // namespace

namespace core::detail {

// Brought up to now before any buffer starts, stops, moves or is looked at, so
// that a voice started after a quiet spell is not counted as having played
// through it.
void AdvanceSilentClock() {
    if (!silent.Running) return;
    const uint64_t frames = FrameAt(backend::NowMicros()) - silent.StartFrame;
    for (uint64_t left = frames - silent.FramesDone; left > 0;) {
        const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(left, UINT32_MAX));
        AdvanceFrames(piece);
        left -= piece;
    }
    silent.FramesDone = frames;
}

void ResetSound() { silent = SilentClock{}; }

}  // namespace core::detail

void core::FallBackToSilentSound() {
    if (!Flags().Sound || Flags().SoundSilent) return;
    SoundCreateSilent();
}

bool SoundCreate() {
    if (Flags().Sound && !Flags().SoundSilent) return true;
    if (Failing(core::Step::SoundCreate, "SoundCreate")) return false;
    if (!backend::OpenAudio()) return false;
    silent = SilentClock{};
    Flags().Sound = true;
    Flags().SoundSilent = false;
    return true;
}

bool SoundCreateSilent() {
    backend::CloseAudio();  // one clock only
    silent = SilentClock{true, FrameAt(backend::NowMicros()), 0};
    Flags().Sound = true;
    Flags().SoundSilent = true;
    return true;
}

bool SoundSetCooperativeLevel() {
    if (!Need(Flags().Sound, "SoundSetCooperativeLevel", "no sound device")) return false;
    return !Failing(core::Step::SoundCooperativeLevel, "SoundSetCooperativeLevel");
}

bool SoundCreatePrimaryBuffer() {
    if (!Need(Flags().Sound, "SoundCreatePrimaryBuffer", "no sound device")) return false;
    if (Failing(core::Step::SoundPrimaryBuffer, "SoundCreatePrimaryBuffer")) return false;
    Flags().SoundPrimary = true;
    return true;
}

bool SoundSetFormat(uint32_t rate, uint32_t channels, uint32_t bits) {
    if (!Need(Flags().SoundPrimary, "SoundSetFormat", "no primary sound buffer")) return false;
    if (Failing(core::Step::SoundFormat, "SoundSetFormat")) return false;
    return Need(rate == SoundRate && channels == 2 && bits == 16, "SoundSetFormat",
                "only 44100 Hz, 16-bit stereo is mixed");
}

SoundBuffer* SoundCreateBuffer(uint32_t bytes) {
    if (!Need(Flags().Sound, "SoundCreateBuffer", "no sound device")) return nullptr;
    if (Failing(core::Step::SoundBuffer, "SoundCreateBuffer")) return nullptr;
    return core::detail::NewSoundBuffer(bytes);
}

void SoundRelease() {
    backend::CloseAudio();
    core::detail::FreeAllSoundBuffers();
    silent = SilentClock{};
    Flags().Sound = false;
    Flags().SoundSilent = false;
    Flags().SoundPrimary = false;
}

}  // namespace plat
