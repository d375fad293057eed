// Round play: one step per call while lives remain.
#pragma once

#include <cstdint>

int32_t PlayFrame();
