#include "frontend/title_screen.h"

#include <algorithm>

#include "frontend/intro.h"
#include "gfx/sheet_map.h"
#include "gfx/surface_copy.h"
#include "gfx/surfaces.h"
#include "gfx/timing.h"
#include "platform/platform.h"
#include "play/status_panel.h"
#include "sound/voice.h"

namespace {

constexpr int ZoomFirst = 1;
constexpr int ZoomLast = 620;
constexpr int ZoomStep = 3;
constexpr uint32_t StepMs = 10;

// Shows the top-left corner of the title, 201 x 1 at first, stretched over
// the screen; it grows 3 px a step until it is the whole picture at 1:1.
void ZoomIn() {
    constexpr sheets::Rect title = sheets::TitlePicture;
    for (int s = ZoomFirst; s <= ZoomLast; s += ZoomStep) {
        StartTimer();
        // a rows high and 200 columns wider: at 600, the whole picture.
        const int a = std::min(s, title.H);
        plat::BlitStretch(BackBuffer, plat::Rect{0, 0, 800, 600}, TitlesSurface,
                          plat::Rect{title.X, title.Y, title.X + a + (title.W - title.H), title.Y + a});
        PresentFrame();
        WaitSince(StepMs);
    }
}

}  // namespace

void TitleScreen() {
    if (TitleMusicPending == 1) {
        // KEEP AS DESIGNED: play first, then rewind, so it starts from the top.
        if (VoiceTitles.Buffer != nullptr) {
            plat::SoundPlay(VoiceTitles.Buffer);
            plat::SoundSetPosition(VoiceTitles.Buffer, 0);
        }
        TitleMusicPending = 0;
    }
    StartTimer();
    WaitSince(StepMs);
    plat::ShowCursor(false);
    if (TitleZoomPending == 1) {
        ZoomIn();
        TitleZoomPending = 0;
    }
    if (plat::KeyDown(plat::Key::Escape)) plat::PostMessage(plat::MsgDestroy, 0, 0);
    if (plat::KeyDown(plat::Key::Enter)) {
        StopVoice(VoiceTitles);
        PlayIntro();
        if (VoiceShips.Buffer != nullptr && plat::SoundStatus(VoiceShips.Buffer) == plat::SoundStatusPlaying)
            StopVoice(VoiceShips);
        Lives = 3;
    }
}
