// The three numbers the player plays for, and the panel that shows them.
#pragma once

#include <cstdint>

// Also the program's mode: above 0 a game is in progress, 0 the title.
extern int32_t Lives;
extern int32_t Score;
extern int32_t RoundNumber;

// Redraws the panel right of the playfield into the back buffer.
void DrawStatusPanel();
