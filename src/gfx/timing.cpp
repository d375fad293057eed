#include "gfx/timing.h"

#include "platform/platform.h"

uint32_t TimerStart = 0;

void StartTimer() { TimerStart = plat::Ticks(); }

void WaitSince(uint32_t ms) {
    // Unsigned difference: stays right when the tick count wraps.
    plat::IdleUntil(TimerStart, ms);
}
