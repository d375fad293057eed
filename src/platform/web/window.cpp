// The browser back end's window: the page itself, whose events every pump
// takes. The program runs on the browser's one thread; the calls that wait
// suspend it through Asyncify and let the page run meanwhile.
#include <cstdint>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/platform.h"
#include "platform/web/backend_state.h"
#include "platform/web/page.h"

namespace plat {
namespace web::detail {

Backend state;

}  // namespace web::detail

using web::detail::state;

namespace backend {

bool OpenWindow(const char*, int32_t, int32_t) {
    state.Window = true;
    state.Dozes = web::DozePlan{};
    return true;
}

// Every key, mouse and idle poll of the game comes here: the sound is topped
// up too, so that it runs dry only if the game makes no call for its lead.
void PumpEvents() {
    web::detail::PumpAudio();
    web::detail::TakeInput();
    state.Scheduled.FeedDue(uint64_t{Ticks()} * 1000);
    if (state.PumpHook != nullptr) state.PumpHook();
    if (state.PrimaryPending && NowMicros() - state.LastShown >= web::detail::PendingMicros) {
        if (const Surface* primary = core::Chain().Primary) web::detail::Show(*primary);
    }
}

void SetCursorVisible(bool visible) { web::page::SetCursorVisible(visible); }

}  // namespace backend
}  // namespace plat
