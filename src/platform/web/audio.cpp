// The browser back end's sound: the mix queued to the page's Web Audio.
#include <cstdint>
#include <optional>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/web/backend_state.h"
#include "platform/web/pacing.h"
#include "platform/web/page.h"

namespace plat {
namespace web::detail {

// Keeps the mix ahead of what the page plays; until the page's audio runs,
// moves the voices on by the clock, as a device nobody hears would.
void PumpAudio() {
    if (!state.Audio) return;
    const bool running = page::AudioRunning();
    const std::optional<uint64_t> played =
        running ? std::optional<uint64_t>(static_cast<uint64_t>(page::AudioPlayedFrame())) : std::nullopt;
    if (running) state.Feed.HeardLate(page::AudioHeardLate());
    const uint64_t changes = core::MixerChanges();
    const bool changed = changes != state.MixerChanges;
    state.News = state.News || changed;
    const AudioStep step = state.Feed.Pump(backend::NowMicros(), played, changed);
    state.MixerChanges = changes;
    if (step.Advance > 0) core::AdvanceFrames(step.Advance);
    if (step.Send() == 0) return;
    state.Mix.assign(static_cast<size_t>(step.Send()) * 2, 0);
    if (step.Mix > 0) core::MixFrames(state.Mix.data(), step.Mix);
    if (step.Ahead > 0) core::PeekFrames(state.Mix.data() + size_t{step.Mix} * 2, step.Ahead, step.AheadSkip);
    page::QueueAudioAt(static_cast<double>(step.SendAt), state.Mix.data(), step.Send());
    if (state.Feed.LateChanges() != state.LateChangesTold) {
        state.LateChangesTold = state.Feed.LateChanges();
        page::SetFigure("soundLateChanges", static_cast<double>(state.LateChangesTold));
    }
}

}  // namespace web::detail

using web::detail::state;

namespace backend {

bool OpenAudio() {
    state.Audio = true;
    state.Feed = web::AudioFeed{};
    state.MixerChanges = core::MixerChanges();
    return true;
}

// What the page holds ahead is dropped: a closed device falls silent.
void CloseAudio() {
    if (state.Audio && web::page::AudioRunning()) web::page::QueueAudioAt(web::page::AudioPlayedFrame(), nullptr, 0);
    state.Audio = false;
    state.Mix.clear();
}

}  // namespace backend
}  // namespace plat
