// The picture behind each round's bricks.
#pragma once

#include <cstdint>

// The number of the round picture "LEVELn.GRA" a round is played over.
int32_t RoundPictureNumber(int32_t round);

// Reads the round's picture into RoundArtSurface.
void LoadRoundBackdrop(int32_t round);
