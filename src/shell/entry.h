// The program's entry and its only loop.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

// Set once the window exists; the destroy message of Escape goes to it.
extern bool MainWindow;

// How the program ends: the quit message's code, or 1 with what failed.
struct ExitStatus {
    int Code = 0;
    std::string Message;  // "" unless something failed
};

// What the program's entry point runs: registers the window, sets up the
// devices, runs the frame loop until the quit message and releases it all.
ExitStatus GameMain();

intptr_t WindowProc(const plat::Message& message);

// The window and every device, as GameMain opens them. False when the
// program must end, with why in `status`.
bool OpenGame(ExitStatus* status);

// Called after every PlayFrame with its result, when set: tools trace runs
// through it.
extern void (*PlayFrameObserver)(int32_t result);
// Called before every PlayFrame, when set: what a tool gathers for a call
// (its sounds, its pictures) starts here.
extern void (*PlayFrameStarting)();

// Where the game stands: the title (and the intro), play, or the pause. The
// layer asks it (plat::SetPlayStateSource), for the pad's give-up.
plat::PlayState WhereTheGameStands();

// One pass: at most one message, then one step of play or of the title.
// False once the quit message has been taken.
bool FramePass(int* exitCode);
