// Control of the browser back end, for the module's entry and tools.
#pragma once

namespace plat::web {

// Called at every pump of the window's events, after the page's input:
// where a built-in player feeds its own input (core.h's Feed* calls) as
// time comes for it. nullptr: none.
void SetPumpHook(void (*hook)());

}  // namespace plat::web
