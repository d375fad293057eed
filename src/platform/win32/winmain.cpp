// Entry point of game565.exe and game555.exe, which differ only in QORB_PACKING.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_backend.h"
#include "shell/devices.h"
#include "shell/entry.h"
#include "shell/executable_packing.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    plat::win32::SetInstance(instance);
    UseExecutablePacking();
    const int exitCode = GameMain();
    if (exitCode != 0) {
        // A windowed program's error line goes unseen: show it. The display
        // has its own mode back by now.
        const std::string why = !MainWindow
                                    ? std::string("Setting up the window failed: ") + plat::LastError()
                                    : (SetupFailure.empty() ? std::string("The game ended with an error.")
                                                            : "Setting up the game failed while " + SetupFailure);
        plat::win32::HideWindow();
        MessageBoxA(nullptr, why.c_str(), "Qorb", MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
    }
    return exitCode;
}
