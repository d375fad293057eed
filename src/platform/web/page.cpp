// Each call hands over to web/page.js (Module.qorbPage); the JavaScript here
// only moves arguments between the module's memory and the page.
#include "platform/web/page.h"

#include <cstddef>

#include <emscripten.h>
#include <emscripten/em_js.h>

// clang-format off
EM_JS(void, qorb_open_canvas, (int32_t width, int32_t height), {
    Module.qorbPage.openCanvas(width, height);
});

EM_JS(void, qorb_show_rgba, (const uint8_t* rgba, int32_t width, int32_t height, int32_t x, int32_t y, int32_t w,
                             int32_t h), {
    Module.qorbPage.show(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height, x, y, w, h);
});

EM_JS(void, qorb_set_cursor_visible, (bool visible), { Module.qorbPage.setCursorVisible(!!visible); });

EM_JS(bool, qorb_picture_lost, (), { return Module.qorbPage.pictureLost(); });

EM_JS(double, qorb_now_ms, (), { return performance.now(); });

EM_ASYNC_JS(double, qorb_next_frame_within, (uint32_t ms), { return await Module.qorbPage.nextFrameWithin(ms); });

EM_ASYNC_JS(void, qorb_sleep, (uint32_t ms), { await Module.qorbPage.sleep(ms); });

EM_ASYNC_JS(void, qorb_doze, (uint32_t ms), { await Module.qorbPage.doze(ms); });

EM_JS(bool, qorb_active, (), { return Module.qorbPage.active(); });

EM_ASYNC_JS(void, qorb_wait_until_active, (), { await Module.qorbPage.whenActive(); });

EM_JS(int32_t, qorb_take_input, (void* out, int32_t capacity, double escape, double enter, double f1, double f5,
                                  double mouse), {
    const events = Module.qorbPage.takeInput(capacity, [escape, enter, f1, f5, mouse]);
    for (let i = 0; i < events.length; ++i) {
        const e = events[i], at = out + i * 24;  // plat::InputEvent, as page.cpp asserts
        HEAP32[at >> 2] = e.kind;
        HEAP32[(at >> 2) + 1] = e.code;
        HEAP32[(at >> 2) + 2] = e.dx;
        HEAP32[(at >> 2) + 3] = e.dy;
        HEAP32[(at >> 2) + 4] = 0;
        HEAP8[at + 20] = e.down ? 1 : 0;
    }
    return events.length;
});

EM_JS(int32_t, qorb_take_pads, (void* out, int32_t capacity), {
    const pads = Module.qorbPage.takePads(capacity);
    for (let i = 0; i < pads.length; ++i) {
        const p = pads[i], at = out + i * 28;  // page::PadState, as page.cpp asserts
        HEAP32[at >> 2] = p.index;
        HEAP32[(at >> 2) + 1] = p.connected ? 1 : 0;
        for (let a = 0; a < 4; ++a) HEAPF32[(at >> 2) + 2 + a] = p.axes[a] || 0;
        HEAPU32[(at >> 2) + 6] = p.buttons >>> 0;
    }
    return pads.length;
});

EM_JS(void, qorb_want_pointer_lock, (bool wanted), { Module.qorbPage.wantPointerLock(!!wanted); });

EM_JS(bool, qorb_pointer_locked, (), { return Module.qorbPage.pointerLocked(); });

EM_JS(bool, qorb_audio_running, (), { return Module.qorbPage.audioRunning(); });

EM_JS(double, qorb_audio_played_frame, (), { return Module.qorbPage.audioPlayedFrame(); });

EM_JS(uint32_t, qorb_audio_heard_late, (), { return Module.qorbPage.audioHeardLate(); });

EM_JS(void, qorb_queue_audio_at, (double at, const int16_t* frames, uint32_t count), {
    Module.qorbPage.queueAudioAt(at, new Int16Array(HEAP16.buffer, frames, count * 2), count);
});

EM_JS(bool, qorb_maker_started, (), { return Module.qorbPage.makerStarted(); });

EM_JS(uint32_t, qorb_made_size, (const char* name), { return Module.qorbPage.madeSize(UTF8ToString(name)); });

// The module's own file system takes the worker's bytes as they are.
EM_JS(bool, qorb_take_made, (const char* name, const char* path), {
    const bytes = Module.qorbPage.takeMade(UTF8ToString(name));
    if (!path) return true;
    if (!bytes) return false;
    try {
        FS.writeFile(UTF8ToString(path), bytes, { canOwn: true });
        return true;
    } catch (error) {
        return false;
    }
});

EM_JS(void, qorb_made_here, (const char* name), { Module.qorbPage.madeHere(UTF8ToString(name)); });

EM_JS(bool, qorb_maker_stopped, (), { return Module.qorbPage.makerStopped(); });

EM_ASYNC_JS(void, qorb_wait_for_made, (), { await Module.qorbPage.whenMade(); });

EM_ASYNC_JS(bool, qorb_still_wanted, (const char* name), {
    const file = UTF8ToString(name);
    return await Module.qorbPage.stillWanted(file);
});

EM_ASYNC_JS(void, qorb_wait_for_first_picture, (), { await Module.qorbPage.whenShown(); });

EM_JS(void, qorb_hand_over, (const char* name, const uint8_t* bytes, uint32_t size), {
    Module.qorbPage.handOver(UTF8ToString(name), HEAPU8.slice(bytes, bytes + size));
});

EM_JS(void, qorb_progress, (double fraction, const char* what), {
    Module.qorbPage.progress(fraction, UTF8ToString(what));
});

EM_JS(void, qorb_ended, (int32_t code), { Module.qorbPage.ended(code); });

EM_JS(void, qorb_fatal, (const char* message), { Module.qorbPage.fatal(UTF8ToString(message)); });

EM_JS(void, qorb_play_state, (int32_t state), { Module.qorbPage.playState(state); });

EM_JS(void, qorb_status_panel, (int32_t left, int32_t freeTop), { Module.qorbPage.statusPanel(left, freeTop); });

EM_JS(void, qorb_set_figure, (const char* name, double value), {
    Module.qorbPage.setFigure(UTF8ToString(name), value);
});
// clang-format on

namespace plat::web::page {

// qorb_take_pads writes the pads in this layout.
static_assert(sizeof(PadState) == 28 && offsetof(PadState, Connected) == 4 && offsetof(PadState, Axes) == 8 &&
              offsetof(PadState, Buttons) == 24);

// qorb_take_input writes the records in this layout.
static_assert(sizeof(plat::InputEvent) == 24 && offsetof(plat::InputEvent, Code) == 4 &&
              offsetof(plat::InputEvent, Dx) == 8 && offsetof(plat::InputEvent, Dz) == 16 &&
              offsetof(plat::InputEvent, Down) == 20 && sizeof(bool) == 1);

void OpenCanvas(int32_t width, int32_t height) { qorb_open_canvas(width, height); }
void ShowRgba(const uint8_t* rgba, int32_t width, int32_t height, int32_t x, int32_t y, int32_t w, int32_t h) {
    qorb_show_rgba(rgba, width, height, x, y, w, h);
}
void SetCursorVisible(bool visible) { qorb_set_cursor_visible(visible); }
bool PictureLost() { return qorb_picture_lost(); }
double NowMs() { return qorb_now_ms(); }
double NextFrameWithin(uint32_t maxMs) { return qorb_next_frame_within(maxMs); }
void Sleep(uint32_t ms) { qorb_sleep(ms); }
void Doze(uint32_t maxMs) { qorb_doze(maxMs); }
bool Active() { return qorb_active(); }
void WaitUntilActive() { qorb_wait_until_active(); }
int32_t TakeInput(plat::InputEvent* events, int32_t capacity, const core::InputReads& reads) {
    const auto n = [](uint64_t count) { return static_cast<double>(count); };
    return capacity <= 0 ? 0
                         : qorb_take_input(events, capacity, n(reads.Keys[0]), n(reads.Keys[1]), n(reads.Keys[2]),
                                           n(reads.Keys[3]), n(reads.Mouse));
}
int32_t TakePads(PadState* pads, int32_t capacity) { return capacity <= 0 ? 0 : qorb_take_pads(pads, capacity); }
void WantPointerLock(bool wanted) { qorb_want_pointer_lock(wanted); }
bool PointerLocked() { return qorb_pointer_locked(); }
bool AudioRunning() { return qorb_audio_running(); }
double AudioPlayedFrame() { return qorb_audio_played_frame(); }
uint32_t AudioHeardLate() { return qorb_audio_heard_late(); }
void QueueAudioAt(double at, const int16_t* frames, uint32_t count) { qorb_queue_audio_at(at, frames, count); }
bool MakerStarted() { return qorb_maker_started(); }
uint32_t MadeSize(const char* name) { return qorb_made_size(name); }
bool TakeMade(const char* name, const char* path) { return qorb_take_made(name, path); }
void MadeHere(const char* name) { qorb_made_here(name); }
bool MakerStopped() { return qorb_maker_stopped(); }
void WaitForMade() { qorb_wait_for_made(); }
bool StillWanted(const char* name) { return qorb_still_wanted(name); }
void HandOver(const char* name, const uint8_t* bytes, uint32_t size) { qorb_hand_over(name, bytes, size); }
void WaitForFirstPicture() { qorb_wait_for_first_picture(); }
void Progress(double fraction, const char* what) { qorb_progress(fraction, what); }
void Ended(int32_t exitCode) { qorb_ended(exitCode); }
void Fatal(const char* message) { qorb_fatal(message); }
void PlayState(int32_t state) { qorb_play_state(state); }
void StatusPanel(int32_t left, int32_t freeTop) { qorb_status_panel(left, freeTop); }
void SetFigure(const char* name, double value) { qorb_set_figure(name, value); }

}  // namespace plat::web::page
