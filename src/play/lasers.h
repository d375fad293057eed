// The laser paddle's volleys of two shots. The pairs and the cooldown are
// declared in play/play_globals.h, the firing in play/handoffs.h.
#pragma once

#include "play/play_globals.h"

// Both pairs out of flight, heights 0, the cooldown over.
void ResetLasers();
// Every play step: the cooldown counts down, and each volley in flight is
// redrawn, rises and strikes the bricks its shots reach.
void UpdateLaserVolleys();
