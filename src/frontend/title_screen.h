// The title screen, while no game is in progress.
#pragma once

// Both 1 at program start and again after every game over.
extern char TitleMusicPending;
extern char TitleZoomPending;

// One pass: music and zoom when pending, then Escape quits and Enter plays
// the intro and starts a game with three lives.
void TitleScreen();
