// The short screens inside play: announcement, pause and game over. The
// title screen's two flags that a game over arms are declared in
// play/play_globals.h.
#pragma once

#include <cstdint>

#include "play/play_globals.h"

// The banner and the round number for as long as the fanfare plays.
void ShowRoundAnnouncement(int32_t round);
// Holds the game until F1 has been released, pressed and released again.
void PauseUntilF1Tapped();
// The game-over picture for as long as its music plays; then the title.
void ShowGameOver();
