// The three calls one moving part of play makes into another: a broken brick
// may release a capsule, a caught capsule starts the paddle's morph, and the
// paddle's button fires the lasers. Declared here, below every part, so that
// no part of play includes another of its floor; each is defined in the file
// of the part that owns it (named before it).
#pragma once

#include <cstdint>

#include "play/records.h"

// capsules.cpp. The ball has just broken the brick at (column, row): by the
// brick's drop chance a capsule of a random kind starts to fall from it,
// unless one is already falling or the paddle is the exit paddle. Draws one
// random number on every call and a second one for a release.
void ReleaseCapsule(int32_t dropChance, int32_t column, int32_t row, char& capsuleActive, const Paddle& paddle,
                    int32_t& frameCycle, int32_t& capsuleColumn, int32_t& capsuleY, Capsule& capsule);

// paddle.cpp. Starts the morph away from the present kind, before a capsule
// sets the new kind.
void MorphFromOldKind(int32_t newKind);

// lasers.cpp. The button was released after a press with the ball in play: a
// laser paddle fires a volley with a free pair once the cooldown is over. A
// request that cannot fire is dropped.
void FireLasers();
