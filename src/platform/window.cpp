// The window, the close box, the cursor, time and idling: the layer's
// Windows-shaped calls over the back end's primitives.
#include <algorithm>
#include <string>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/core_state.h"
#include "platform/platform.h"

namespace plat {
namespace {
bool closeRequested = false;
}  // namespace

namespace core {

void RequestClose() {
    if (closeRequested) return;
    closeRequested = true;
    PostMessage(MsgClose, 0, 0);
}

bool CloseRequested() { return closeRequested; }

namespace detail {
void ClearCloseRequest() { closeRequested = false; }

void Pump() {
    backend::PumpEvents();
    AdvancePads();
    AdvanceSilentClock();
}
}  // namespace detail
}  // namespace core

using core::detail::Failing;
using core::detail::Flags;
using core::detail::Need;

bool RegisterWindowClass(const char* className) {
    if (!Need(className != nullptr, "RegisterWindowClass", "no class name")) return false;
    if (Failing(core::Step::WindowClass, "RegisterWindowClass")) return false;
    Flags().WindowClass = true;
    return true;
}

bool CreateMainWindow(const char* className, const char* title, int32_t, int32_t, int32_t width, int32_t height) {
    if (!Need(Flags().WindowClass && className != nullptr, "CreateMainWindow", "the window class is not registered"))
        return false;
    if (!Need(!Flags().Window, "CreateMainWindow", "the window exists already")) return false;
    if (Failing(core::Step::Window, "CreateMainWindow")) return false;
    core::detail::ClearCloseRequest();
    if (!backend::OpenWindow(title != nullptr ? title : "", width, height)) return false;
    Flags().Window = true;
    return true;
}

int ShowCursor(bool show) {
    const bool wasVisible = Flags().CursorCount >= 0;
    Flags().CursorCount += show ? 1 : -1;
    const bool visible = Flags().CursorCount >= 0;
    if (visible != wasVisible) backend::SetCursorVisible(visible);
    return Flags().CursorCount;
}

uint32_t Ticks() {
    core::detail::AdvanceSilentClock();
    return backend::Ticks();
}

void Idle() {
    core::detail::Pump();
    backend::Sleep(1000);
}

void IdleUntil(uint32_t start, uint32_t ms) {
    for (uint32_t passed; (passed = Ticks() - start) < ms;) {
        core::detail::Pump();
        // One nap for all that is left, in whole milliseconds: the clock's
        // phase is kept, so it ends where a loop of Idle() would have ended,
        // and the process wakes once a wait, not once a millisecond.
        backend::Sleep(std::min<uint32_t>(ms - passed, 1000) * 1000);
    }
}

int64_t Time() { return backend::CalendarSeconds(); }

std::string ExecutableDirectory() { return backend::ExecutableDirectory(); }

void ReportFatalError(const std::string& message) { backend::ReportFatal(message); }

}  // namespace plat
