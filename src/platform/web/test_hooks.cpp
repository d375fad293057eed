// Control of the browser back end for the module's entry, tools and tests.
#include <functional>
#include <utility>

#include "platform/core.h"
#include "platform/input_event.h"
#include "platform/web/backend_state.h"
#include "platform/web/web_backend.h"

namespace plat::web {

using detail::state;

void SetPumpHook(void (*hook)()) { state.PumpHook = hook; }
void Schedule(const TimedInput& event) { state.Scheduled.Add(event); }
void SetFlipObserver(std::function<void(uint64_t flips)> observer) { core::SetFlipObserver(std::move(observer)); }

}  // namespace plat::web
