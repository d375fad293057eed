#include "shell/entry.h"

#include "frontend/title_screen.h"
#include "play/play_report.h"
#include "play/round_loop.h"
#include "play/status_panel.h"
#include "shell/devices.h"

bool MainWindow = false;
void (*PlayFrameObserver)(int32_t result) = nullptr;
void (*PlayFrameStarting)() = nullptr;

namespace {
constexpr const char* ClassName = "QORBCLASS";
constexpr const char* WindowTitle = "Qorb Game Console";
}  // namespace

intptr_t WindowProc(const plat::Message& message) {
    switch (message.Id) {
        case plat::MsgCreate: return 0;
        case plat::MsgDestroy: plat::PostQuitMessage(0); return 0;
        case plat::MsgPaint: return 0;  // nothing is painted outside the flip chain
        default: return plat::DefaultWindowProc(message);
    }
}

plat::PlayState WhereTheGameStands() {
    if (Lives <= 0) return plat::PlayState::Title;
    return LastPlayFrame.Paused ? plat::PlayState::Paused : plat::PlayState::Playing;
}

bool FramePass(int* exitCode) {
    plat::Message message;
    if (plat::PeekMessage(&message)) {
        if (message.Id == plat::MsgQuit) {
            *exitCode = static_cast<int>(message.WParam);
            return false;
        }
        WindowProc(message);
    }
    if (Lives > 0) {
        if (PlayFrameStarting != nullptr) PlayFrameStarting();
        const int32_t result = PlayFrame();
        if (PlayFrameObserver != nullptr) PlayFrameObserver(result);
        if (Lives == 0) TitleScreen();
    } else {
        TitleScreen();
    }
    return true;
}

bool OpenGame(ExitStatus* status) {
    *status = ExitStatus{1, ""};
    // Without a window (no display to open one on) the game cannot run: say why.
    if (!plat::RegisterWindowClass(ClassName)) {
        status->Message = std::string("registering the window class: ") + plat::LastError();
        return false;
    }
    if (!plat::CreateMainWindow(ClassName, WindowTitle, 0, 0, 320, 200)) {
        status->Message = std::string("creating the window: ") + plat::LastError();
        return false;
    }
    MainWindow = true;
    WindowProc(plat::Message{plat::MsgCreate, 0, 0});
    plat::SetPlayStateSource(WhereTheGameStands);

    // Every step of the game assumes all devices exist: never run without them.
    if (!SetupDevices()) {
        status->Message = SetupFailure;
        ShutdownDevices();
        return false;
    }
    status->Code = 0;
    return true;
}

ExitStatus GameMain() {
    ExitStatus status;
    if (!OpenGame(&status)) return status;
    while (FramePass(&status.Code)) {
    }
    ShutdownDevices();
    return status;
}
