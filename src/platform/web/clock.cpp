// The browser back end's clocks, sleeps, program folder and fatal report.
#include <cstdint>
#include <ctime>
#include <string>
#include <utility>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/web/backend_state.h"
#include "platform/web/pacing.h"
#include "platform/web/page.h"

namespace plat {
using web::detail::state;

namespace backend {

uint32_t Ticks() { return static_cast<uint32_t>(static_cast<uint64_t>(web::page::NowMs())); }
uint64_t NowMicros() { return static_cast<uint64_t>(web::page::NowMs() * 1000.0); }

// Yields to the browser: its events, frames and sound go on meanwhile. The
// game asks for a millisecond between polls; waking for each would suspend
// and resume the module a thousand times a second. It wakes instead at an
// input event, or as DozePlan says. The sound is topped up on both sides of
// the doze, so that what the game changes on waking is heard when meant.
void Sleep(uint32_t micros) {
    web::detail::PumpAudio();
    const bool heard = state.Audio && web::page::AudioRunning();
    const bool news = std::exchange(state.News, false) || state.Scheduled.Pending() > 0;
    const uint64_t voiceEndsInMs =
        (uint64_t{core::FramesUntilFirstEnd()} * 1000 + web::AudioFeed::Rate - 1) / web::AudioFeed::Rate;
    web::page::Doze(state.Dozes.Next((micros + 500) / 1000, heard, news, voiceEndsInMs));
    web::detail::PumpAudio();
    web::detail::ShowAgainIfLost();
}

int64_t CalendarSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

// The art is made into /assets, beside the program as the game looks for it.
std::string ExecutableDirectory() { return "/"; }

void ReportFatal(const std::string& message) { web::page::Fatal(message.c_str()); }

}  // namespace backend
}  // namespace plat
