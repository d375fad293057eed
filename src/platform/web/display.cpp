// The browser back end's display: the page's canvas, paced by its frame clock.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/platform.h"
#include "platform/web/backend_state.h"
#include "platform/web/pacing.h"
#include "platform/web/page.h"

namespace plat {
namespace web::detail {

// Puts what differs in `page` from what the canvas holds on it: each run of
// changed rows as wide as its changes, so that a moving ball costs the page
// its own few pixels. A still title costs a comparison, not a conversion.
void Show(const Surface& page) {
    state.PrimaryPending = false;
    state.LastShown = backend::NowMicros();
    const size_t pitch = static_cast<size_t>(std::max(page.PitchWords, 0));
    const int32_t width = std::min(page.Width, page.PitchWords);
    if (width <= 0 || page.Height <= 0 || page.Words.size() < pitch * static_cast<size_t>(page.Height)) return;
    std::vector<Rect>& areas = state.Changed;
    areas.clear();
    if (state.OnScreen.size() != page.Words.size()) {
        state.OnScreen = page.Words;
        areas.push_back(Rect{0, 0, page.Width, page.Height});
    } else {
        // Runs of changed rows closer than this are one: a call costs the page more than a few rows.
        constexpr int32_t Near = 4;
        for (int32_t y = 0; y < page.Height; ++y) {
            const uint16_t* row = page.Words.data() + pitch * static_cast<size_t>(y);
            uint16_t* shown = state.OnScreen.data() + pitch * static_cast<size_t>(y);
            int32_t left = 0, right = width;
            while (left < right && row[left] == shown[left]) ++left;
            if (left == right) continue;
            while (row[right - 1] == shown[right - 1]) --right;
            std::copy(row + left, row + right, shown + left);
            if (!areas.empty() && y - areas.back().Bottom < Near) {
                Rect& area = areas.back();
                area.Left = std::min(area.Left, left);
                area.Right = std::max(area.Right, right);
                area.Bottom = y + 1;
            } else {
                areas.push_back(Rect{left, y, right, y + 1});
            }
        }
    }
    for (const Rect& area : areas) {
        const Rect shown = state.Rgba.Convert(page, DisplayWordLayout(), area);
        if (shown.Right > shown.Left && shown.Bottom > shown.Top)
            page::ShowRgba(state.Rgba.Bytes(), state.Rgba.Width(), state.Rgba.Height(), shown.Left, shown.Top,
                           shown.Right - shown.Left, shown.Bottom - shown.Top);
    }
}

void ShowAgainIfLost() {
    if (!page::PictureLost()) return;
    state.OnScreen.clear();
    if (const Surface* primary = core::Chain().Primary) Show(*primary);
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
// background: on the picture it made, shown before the wait, so that a page
// opened without the focus is not black until it gets it. Sixty flips a
// second on a screen of any refresh rate.
PresentResult Present(const Surface& page) {
    state.News = true;
    PumpEvents();
    if (web::page::PictureLost()) state.OnScreen.clear();
    web::detail::Show(page);
    if (!web::page::Active()) {
        web::page::WaitUntilActive();
        state.Pacer.Restart();  // no racing to make up the frozen time
        // The canvas may have been dropped meanwhile.
        state.OnScreen.clear();
        web::detail::Show(page);
    }
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
    state.News = true;
    PumpEvents();
}

}  // namespace backend
}  // namespace plat
