// The browser back end's display: the page's canvas, paced by its frame clock.
#include <algorithm>
#include <cstdint>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/platform.h"
#include "platform/web/backend_state.h"
#include "platform/web/pacing.h"
#include "platform/web/page.h"

namespace plat {
namespace web::detail {

// Puts the rows of `page` that differ from what the canvas holds on it; a
// still title costs a comparison, not a conversion.
void Show(const Surface& page) {
    state.PrimaryPending = false;
    state.LastShown = backend::NowMicros();
    const size_t pitch = static_cast<size_t>(std::max(page.PitchWords, 0));
    const int32_t width = std::min(page.Width, page.PitchWords);
    if (width <= 0 || page.Height <= 0 || page.Words.size() < pitch * static_cast<size_t>(page.Height)) return;
    int32_t first = 0, last = page.Height - 1;
    if (state.OnScreen.size() == page.Words.size()) {
        const auto same = [&](int32_t y) {
            const uint16_t* row = page.Words.data() + pitch * static_cast<size_t>(y);
            return std::equal(row, row + width, state.OnScreen.data() + pitch * static_cast<size_t>(y));
        };
        while (first <= last && same(first)) ++first;
        while (last >= first && same(last)) --last;
        if (first > last) return;
    }
    state.OnScreen = page.Words;
    const Rect shown = state.Rgba.Convert(page, DisplayWordLayout(), Rect{0, first, page.Width, last + 1});
    if (shown.Right > shown.Left && shown.Bottom > shown.Top)
        page::ShowRgba(state.Rgba.Bytes(), state.Rgba.Width(), state.Rgba.Height(), shown.Left, shown.Top,
                       shown.Right - shown.Left, shown.Bottom - shown.Top);
}

}  // namespace web::detail

using web::detail::state;

namespace backend {

bool OpenDisplay(int32_t width, int32_t height, PixelFormat* format) {
    if (!state.Window) {
        core::SetLastError("DisplaySetMode: no window");
        return false;
    }
    web::page::OpenCanvas(width, height);
    state.OnScreen.clear();
    state.Pacer.Restart();
    const bool wide = DisplayWordLayout() == WordLayout::Rgb565;
    *format = PixelFormat{wide ? 16u : 15u, wide ? 0xF800u : 0x7C00u, wide ? 0x07E0u : 0x03E0u, 0x001Fu};
    return true;
}

void CloseDisplay() {
    state.OnScreen.clear();
    state.PrimaryPending = false;
}

// Frozen while the tab is hidden or unfocused, as the Linux game is in the
// background; sixty flips a second on a screen of any refresh rate.
PresentResult Present(const Surface& page) {
    PumpEvents();
    if (!web::page::Active()) {
        web::page::WaitUntilActive();
        state.Pacer.Restart();   // no racing to make up the frozen time
        state.OnScreen.clear();  // the canvas may have been dropped meanwhile
    }
    web::detail::Show(page);
    if (state.Pacer.Flip(web::page::NowMs()) == web::FramePacer::Wait::Yield) {
        web::page::Sleep(0);
    } else {
        // The sound is topped up while the flip waits, however late the frames.
        for (double stamp = -1; stamp < 0 || !state.Pacer.Frame(stamp);) {
            stamp = web::page::NextFrameWithin(web::DozeMs);
            web::detail::PumpAudio();
        }
    }
    web::detail::PumpAudio();
    return PresentResult::Shown;
}

// The pages live in the module's memory: nothing of them is ever lost.
RestoreResult RestoreDisplay() { return RestoreResult::Restored; }

void ShowArea(const Surface&, const Rect&) {
    state.PrimaryPending = true;
    PumpEvents();
}

}  // namespace backend
}  // namespace plat
