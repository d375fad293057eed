// Frame pacing on the millisecond tick count.
#pragma once

#include <cstdint>

extern uint32_t TimerStart;

// Marks the start of a step.
void StartTimer();
// Returns once `ms` milliseconds have passed since the last StartTimer,
// correctly across the wrap of the tick count.
void WaitSince(uint32_t ms);
