#include "play/round_loop.h"

#include "frontend/title_screen.h"
#include "gfx/surface_copy.h"
#include "platform/platform.h"
#include "play/status_panel.h"
#include "shell/timing.h"

// The smallest honest step until the rounds exist: a blank 10 ms frame in
// which Escape quits and F5 ends the game.
int32_t PlayFrame() {
    StartTimer();
    if (plat::KeyDown(plat::Key::Escape)) plat::PostMessage(plat::MsgDestroy, 0, 0);
    if (plat::KeyDown(plat::Key::F5)) {
        Lives = 0;
        TitleMusicPending = 1;
        TitleZoomPending = 1;
        return 0;
    }
    ClearScreen(ClearBackBuffer);
    PresentFrame();
    WaitSince(10);
    return 1;
}
