// The browser back end's clocks, sleeps, program folder and fatal report.
#include <algorithm>
#include <cstdint>
#include <ctime>
#include <string>

#include "platform/backend.h"
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
// input event, or in time for the sound's next top-up (DozeMs).
void Sleep(uint32_t micros) {
    web::detail::PumpAudio();
    const bool heard = state.Audio && web::page::AudioRunning();
    web::page::Doze(std::max<uint32_t>((micros + 500) / 1000, heard ? web::DozeMs : web::SilentDozeMs));
}

int64_t CalendarSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

// The art is made into /assets, beside the program as the game looks for it.
std::string ExecutableDirectory() { return "/"; }

void ReportFatal(const std::string& message) { web::page::Fatal(message.c_str()); }

}  // namespace backend
}  // namespace plat
