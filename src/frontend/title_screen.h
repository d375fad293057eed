// The title screen, while no game is in progress.
#pragma once

// TitleMusicPending and TitleZoomPending (play/round_screens.h) say what the
// next pass starts with.
#include "play/round_screens.h"

// One pass: music and zoom when pending, then Escape quits and Enter plays
// the intro and starts a game with three lives.
void TitleScreen();
