// The paddle's motion and images. The record, the kinds (play/kinds.h) and
// the paddle globals are declared in play/play_globals.h, the morph that a
// capsule starts in play/handoffs.h.
#pragma once

#include "play/play_globals.h"

// The button, the motion and the limits of one play step. True when the
// exit paddle has been moved past its right limit: the exit sequence runs.
bool MovePaddle();
// The still image of the kind, or one step of the morph animation.
void DrawPaddleImage();
