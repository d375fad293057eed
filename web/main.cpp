// The entry of the browser's module `qorb`: it makes the art and voices in
// the tab (the download carries none), then runs the game as game565 does.
//
// With the argument --bot (index.html?args=--bot) qorb-sim's built-in player
// plays, for measurements: it acts after each pass of the game's loop, and
// the back end feeds its input to the game as its time comes. The page's figures:
// playSteps counts the play steps that read the mouse, as qorb-sim counts
// them, steadySteps and steadyMs those of them that came in a row and the
// time they took, and flips the game's flips.
#include <cstdio>
#include <string>

#include "bot.h"
#include "make_assets.h"
#include "platform/platform.h"
#include "platform/web/page.h"
#include "platform/web/web_backend.h"
#include "play/play_report.h"
#include "play/status_panel.h"
#include "shell/devices.h"
#include "shell/entry.h"
#include "shell/executable_packing.h"

namespace {

namespace page = plat::web::page;

uint64_t playSteps = 0;
// Steps that followed another within 50 ms, and the time between them: the
// pace of play itself, without explosions and announcements between steps.
uint64_t steadySteps = 0;
double steadyMs = 0, lastStepMs = -1;

// What the page shows around the picture follows the game: 0 the title or
// the intro, 1 a game in play, 2 paused. A pause waits inside the play call
// that read F1, so the page hears of it from the pumps while it waits.
bool inPlayCall = false;
int32_t shownState = -1;

void ReportPlayState() {
    const int32_t state = Lives <= 0 ? 0 : inPlayCall && LastPlayFrame.F1 ? 2 : 1;
    if (state != shownState) page::PlayState(shownState = state);
}

void CountPlayStep(int32_t) {
    inPlayCall = false;
    ReportPlayState();
    if (LastPlayFrame.Mouse == PlayFrameReport::MouseRead::None) return;
    page::SetFigure("playSteps", static_cast<double>(++playSteps));
    const double now = page::NowMs();
    if (lastStepMs >= 0 && now - lastStepMs < 50) {
        steadyMs += now - lastStepMs;
        page::SetFigure("steadySteps", static_cast<double>(++steadySteps));
        page::SetFigure("steadyMs", steadyMs);
    }
    lastStepMs = now;
}

ExitStatus BotMain() {
    ExitStatus status;
    if (!OpenGame(&status)) return status;
    Bot bot;
    while (FramePass(&status.Code)) {
        for (const plat::TimedInput& e : bot.Act(plat::Ticks() + 1)) plat::web::Schedule(e);
    }
    ShutdownDevices();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const bool withBot = argc == 2 && std::string(argv[1]) == "--bot";
    if (argc > 1 && !withBot) {
        plat::ReportFatalError("the only argument is --bot");
        page::Ended(2);
        return 2;
    }
    // Where the game looks for its art: beside the program, which is "/".
    std::string error;
    const bool made = assetgen::MakeAssets(
        "/assets",
        [](double fraction, const std::string& name) {
            page::Progress(fraction, name.c_str());
            page::Sleep(0);  // let the page draw its progress bar
        },
        &error);
    if (!made) {
        plat::ReportFatalError("making the art and sounds: " + error);
        page::Ended(1);
        return 1;
    }

    UseExecutablePacking();
    PlayFrameObserver = CountPlayStep;
    PlayFrameStarting = [] { inPlayCall = true; };
    plat::web::SetPumpHook(ReportPlayState);
    plat::web::SetFlipObserver([](uint64_t flips) { page::SetFigure("flips", static_cast<double>(flips)); });
    const ExitStatus status = withBot ? BotMain() : GameMain();
    if (!status.Message.empty()) plat::ReportFatalError(status.Message);
    page::Ended(status.Code);
    return status.Code;
}
