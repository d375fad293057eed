// qorb-preview: the real game in a browser tab on the headless back end,
// whose virtual clock is held to the page's clock. It makes the art and
// voices in the tab, shows every flip on the canvas, paces flips by
// animation frames, feeds the page's mouse and keys in as the timeline's
// events and its mixed sound out to Web Audio, and freezes while the tab is
// hidden or unfocused: the page and its glue at work, before the browser
// back end exists. Draws straight onto the visible page show at the next
// flip, and the captured sound grows by 10 MB a minute: a preview only.
//
// With the argument --bot (index.html?module=qorb-preview&args=--bot)
// qorb-sim's built-in player plays. The page's figures: playSteps counts
// the play steps that read the mouse, as qorb-sim counts them, and
// virtualMs is the game's clock at the last flip.
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "bot.h"
#include "input_script.h"
#include "make_assets.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "platform/web/pacing.h"
#include "platform/web/page.h"
#include "platform/web/rgba_page.h"
#include "play/play_report.h"
#include "shell/devices.h"
#include "shell/entry.h"
#include "shell/executable_packing.h"

namespace {

namespace headless = plat::headless;
namespace page = plat::web::page;

// Virtual time may run this far ahead of the page's clock before the
// preview sleeps, and this far behind before it gives the time up.
constexpr double AheadMs = 20;
constexpr double BehindMs = 250;

struct Preview {
    double RealStart = 0;  // the page's clock at virtual time 0, moved on by freezes
    plat::web::FramePacer Pacer;
    plat::web::RgbaPage Rgba;
    size_t AudioTaken = 0;  // captured samples already handed on
    uint64_t PlaySteps = 0;
};
Preview preview;

void TakeInput(uint64_t nowMs) {
    page::InputEvent events[64];
    for (int32_t count; (count = page::TakeInput(events, 64)) > 0;) {
        for (int32_t i = 0; i < count; ++i) {
            const page::InputEvent& e = events[i];
            switch (e.Kind) {
                case page::InputKind::Motion: headless::ScheduleMouseMove(nowMs, e.Dx, e.Dy); break;
                case page::InputKind::Button: headless::ScheduleButton(nowMs, e.Code, e.Down != 0); break;
                case page::InputKind::Key:
                    if (e.Code >= 0 && e.Code <= 3)
                        headless::ScheduleKey(nowMs, static_cast<plat::Key>(e.Code), e.Down);
                    break;
                case page::InputKind::Close: headless::ScheduleClose(nowMs); break;
            }
        }
    }
}

void ForwardAudio() {
    const std::vector<int16_t>& captured = headless::CapturedAudio();
    if (captured.size() <= preview.AudioTaken) return;
    // Sound made before the page's audio ran is not heard, as on a silent device.
    if (page::AudioRunning())
        page::QueueAudio(captured.data() + preview.AudioTaken,
                         static_cast<uint32_t>((captured.size() - preview.AudioTaken) / 2));
    preview.AudioTaken = captured.size();
}

void OnClock(uint64_t micros) {
    TakeInput(micros / 1000);
    ForwardAudio();
    const double virtualMs = static_cast<double>(micros) / 1000.0;
    const double ahead = virtualMs - (page::NowMs() - preview.RealStart);
    if (ahead > AheadMs) {
        page::Sleep(static_cast<uint32_t>(ahead));
    } else if (ahead < -BehindMs) {
        preview.RealStart = page::NowMs() - virtualMs;
    }
}

void OnFlip(uint64_t) {
    page::SetFigure("virtualMs", static_cast<double>(headless::NowMicros()) / 1000.0);
    const plat::Surface* primary = headless::Primary();
    if (primary == nullptr) return;
    const plat::Rect shown =
        preview.Rgba.Convert(*primary, plat::DisplayWordLayout(), plat::Rect{0, 0, primary->Width, primary->Height});
    if (shown.Right > shown.Left)
        page::ShowRgba(preview.Rgba.Bytes(), preview.Rgba.Width(), preview.Rgba.Height(), shown.Left, shown.Top,
                       shown.Right - shown.Left, shown.Bottom - shown.Top);
    if (!page::Active()) {
        const double frozen = page::NowMs();
        page::WaitUntilActive();
        preview.RealStart += page::NowMs() - frozen;
        preview.Pacer.Restart();
    }
    if (preview.Pacer.Flip(page::NowMs()) == plat::web::FramePacer::Wait::Yield) {
        page::Sleep(0);
        return;
    }
    while (!preview.Pacer.Frame(page::NextFrame())) {
    }
}

void OnPlayFrame(int32_t) {
    if (LastPlayFrame.Mouse != PlayFrameReport::MouseRead::None)
        page::SetFigure("playSteps", static_cast<double>(++preview.PlaySteps));
}

}  // namespace

int main(int argc, char** argv) {
    const bool withBot = argc == 2 && std::string(argv[1]) == "--bot";
    if (argc > 1 && !withBot) {
        std::fprintf(stderr, "qorb-preview: the only argument is --bot\n");
        page::Ended(2);
        return 2;
    }
    std::string error;
    const bool made = assetgen::MakeAssets(
        "/assets",
        [](double fraction, const std::string& name) {
            page::Progress(fraction, name.c_str());
            page::Sleep(0);  // let the page draw its progress bar
        },
        &error);
    if (!made || chdir("/assets") != 0) {
        std::fprintf(stderr, "qorb-preview: %s\n", made ? "cannot enter /assets" : error.c_str());
        page::Ended(1);
        return 1;
    }

    UseExecutablePacking();
    headless::Reset(headless::Config{.StartSeconds = static_cast<int64_t>(std::time(nullptr)), .CaptureAudio = true});
    page::OpenCanvas(800, 600);
    page::WantPointerLock(true);
    preview.RealStart = page::NowMs();
    headless::SetClockObserver(OnClock);
    headless::SetFlipObserver(OnFlip);
    PlayFrameObserver = OnPlayFrame;
    // GameMain's loop, with the bot's turn after each pass as in qorb-sim.
    ExitStatus opened;
    int code = 1;
    if (OpenGame(&opened)) {
        code = 0;
        Bot bot;
        while (FramePass(&code)) {
            if (!withBot) continue;
            for (const InputEvent& e : bot.Act(headless::NowMicros() / 1000 + 1)) Schedule(e);
        }
        ShutdownDevices();
    } else {
        plat::ReportFatalError(opened.Message);
    }
    page::Ended(code);
    return code;
}
