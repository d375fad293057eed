// The title screen, while no game is in progress.
#pragma once

// TitleMusicPending and TitleZoomPending (play/play_globals.h) say what the
// next pass starts with.
#include "play/play_globals.h"

// One pass: music and zoom when pending, then Escape quits and Enter plays
// the intro and starts a game with three lives.
void TitleScreen();
