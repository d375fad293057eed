// Control of the browser back end, for the module's entry and tools.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/input_event.h"

namespace plat::web {

// Called at every pump of the window's events, after the page's input and
// the scheduled input; nullptr: none.
void SetPumpHook(void (*hook)());
// Input fed to the game when the page's clock (plat::Ticks) reaches its
// time: a built-in player's.
void Schedule(const TimedInput& event);
// Called after every flip with the number of flips so far.
void SetFlipObserver(std::function<void(uint64_t flips)> observer);

}  // namespace plat::web
