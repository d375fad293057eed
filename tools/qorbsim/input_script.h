// The input timeline format of qorb-sim: one event a line,
//   TIME_MS mouse DX DY | mouse fail | button down|up | key escape|enter|f1|f5 down|up | close
// with '#' starting a comment. The words name the layer's input vocabulary
// (platform/input_event.h): motion, the first button, a key, the close box, a
// failing mouse read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/input_event.h"

// Parses a whole script; false with "FILE:LINE: reason" in `error`.
bool ParseScript(const std::string& text, const std::string& name, std::vector<plat::TimedInput>* events,
                 std::string* error);
bool ReadScript(const std::string& path, std::vector<plat::TimedInput>* events, std::string* error);
// One line of the format; "" for an event the format has no words for (a
// second button, the wheel).
std::string FormatEvent(const plat::TimedInput& event);
// The record of a run that stopped at `stopMicros` of virtual time: a header,
// then in time order (events of one time as given) every event the game was
// given, those at the very moment of the stop included: the timeline hands
// them over before the stop is seen, and a replay that runs on must have them.
std::string FormatRecord(std::vector<plat::TimedInput> events, uint64_t stopMicros);
