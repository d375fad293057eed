// The browser back end's keys, mouse and gamepads, as the page (and its touch
// controls) records them.
#include <cstdint>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/input_event.h"
#include "platform/web/backend_state.h"
#include "platform/web/page.h"

namespace plat {
namespace web::detail {

void TakeInput() {
    InputEvent events[64];
    for (int32_t count; (count = page::TakeInput(events, 64, core::Reads())) > 0;) {
        state.News = true;
        for (int32_t i = 0; i < count; ++i) {
            // Motion counts only while the game holds the mouse.
            if (events[i].What == InputEvent::Kind::Motion && !state.Captured) continue;
            core::Feed(events[i]);
        }
    }
    TakePads();
}

// The pads as they stand, at rest while the tab is hidden or in the
// background (as a window's are); the core maps them (gamepad.h).
void TakePads() {
    page::PadState pads[8];
    const int32_t count = page::TakePads(pads, 8);
    if (count <= 0) return;
    const bool front = page::Active();
    for (int32_t i = 0; i < count; ++i) {
        const page::PadState& p = pads[i];
        if (!p.Connected) {
            core::PadGone(p.Index);
            continue;
        }
        core::PadReading reading;
        if (front) reading = core::PadReading{p.Axes[0], p.Axes[1], p.Axes[2], p.Axes[3], p.Buttons};
        core::PadRead(p.Index, reading);
    }
}

}  // namespace web::detail

using web::detail::state;

namespace backend {

bool OpenInput() { return true; }
void CloseInput() { CaptureMouse(false); }

bool CaptureMouse(bool captured) {
    if (captured && !state.Captured) {
        web::detail::TakeInput();  // what came before belongs to no read
        core::ClearMouse();
    }
    state.Captured = captured;
    web::page::WantPointerLock(captured);
    return true;
}

}  // namespace backend
}  // namespace plat
