// The short screens inside play: announcement, pause and game over.
#pragma once

#include <cstdint>

// The banner and the round number for as long as the fanfare plays.
void ShowRoundAnnouncement(int32_t round);
// Holds the game until F1 has been released, pressed and released again.
void PauseUntilF1Tapped();
// The game-over picture for as long as its music plays; then the title.
void ShowGameOver();

// The title screen's two flags: 1 at program start and again after every
// game over, which arms them here, below the title screen that clears them.
extern char TitleMusicPending;
extern char TitleZoomPending;
