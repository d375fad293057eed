// The input vocabulary: every event a back end, a script, a built-in player
// or a touch screen hands to the layer's core, in one shape.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace plat {

struct InputEvent {
    // Numbered as web/page.js numbers them: the page writes these records.
    enum class Kind : int32_t { Motion = 0, Button = 1, Key = 2, Close = 3, MouseFailure = 4 };
    Kind What = Kind::Motion;
    int32_t Code = 0;                // Button: 0 the first to 3; Key: a plat::Key
    int32_t Dx = 0, Dy = 0, Dz = 0;  // Motion: relative, as the mouse reports it
    bool Down = false;               // Button and Key: pressed (true) or released
};

// The mouse moved; Dz is the wheel, 120 a notch.
inline InputEvent MotionEvent(int32_t dx, int32_t dy, int32_t dz = 0) {
    return InputEvent{InputEvent::Kind::Motion, 0, dx, dy, dz, false};
}
inline InputEvent ButtonEvent(int32_t button, bool down) {
    return InputEvent{InputEvent::Kind::Button, button, 0, 0, 0, down};
}
inline InputEvent KeyEvent(Key key, bool down) {
    return InputEvent{InputEvent::Kind::Key, static_cast<int32_t>(key), 0, 0, 0, down};
}
// The window's close box.
inline InputEvent CloseEvent() { return InputEvent{InputEvent::Kind::Close, 0, 0, 0, 0, false}; }
// The next read of the mouse fails, as a lost device's does.
inline InputEvent MouseFailureEvent() { return InputEvent{InputEvent::Kind::MouseFailure, 0, 0, 0, 0, false}; }

inline bool operator==(const InputEvent& a, const InputEvent& b) {
    return a.What == b.What && a.Code == b.Code && a.Dx == b.Dx && a.Dy == b.Dy && a.Dz == b.Dz && a.Down == b.Down;
}

// An event and when it is due, in milliseconds of the back end's clock.
struct TimedInput {
    uint64_t AtMs = 0;
    InputEvent Event;
};

}  // namespace plat
