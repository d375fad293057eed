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

// Keeps the mix a little ahead of what the page plays; until the page's audio
// runs, moves the voices on by the clock, as a device nobody hears would.
void PumpAudio() {
    if (!state.Audio) return;
    const std::optional<uint32_t> queued =
        page::AudioRunning() ? std::optional<uint32_t>(page::AudioQueuedFrames()) : std::nullopt;
    const AudioStep step = state.Feed.Pump(backend::NowMicros(), queued);
    if (step.Advance > 0) core::AdvanceFrames(step.Advance);
    if (step.Mix > 0) {
        state.Mix.assign(static_cast<size_t>(step.Mix) * 2, 0);
        core::MixFrames(state.Mix.data(), step.Mix);
        page::QueueAudio(state.Mix.data(), step.Mix);
    }
}

}  // namespace web::detail

using web::detail::state;

namespace backend {

bool OpenAudio() {
    state.Audio = true;
    state.Feed = web::AudioFeed{};
    return true;
}

void CloseAudio() {
    state.Audio = false;
    state.Mix.clear();
}

}  // namespace backend
}  // namespace plat
