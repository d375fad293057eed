// The input timeline format of qorb-sim: one event a line,
//   TIME_MS mouse DX DY | mouse fail | button down|up | key escape|enter|f1|f5 down|up | close
// with '#' starting a comment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

struct InputEvent {
    enum class Kind { Mouse, MouseFail, Button, Key, Close } What = Kind::Mouse;
    uint64_t AtMs = 0;
    int32_t Dx = 0, Dy = 0;
    plat::Key Key = plat::Key::Escape;
    bool Down = false;
};

// Parses a whole script; false with "FILE:LINE: reason" in `error`.
bool ParseScript(const std::string& text, const std::string& name, std::vector<InputEvent>* events, std::string* error);
bool ReadScript(const std::string& path, std::vector<InputEvent>* events, std::string* error);
std::string FormatEvent(const InputEvent& event);
// Hands the event to the headless back end's timeline.
void Schedule(const InputEvent& event);
