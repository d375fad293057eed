// The panel right of the playfield that shows the three numbers the player
// plays for (Lives, Score and RoundNumber, declared in play/play_globals.h).
#pragma once

#include "play/play_globals.h"

// Redraws the panel right of the playfield into the back buffer.
void DrawStatusPanel();
