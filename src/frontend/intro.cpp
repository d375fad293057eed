#include "frontend/intro.h"

// The animation comes later; until then the game starts at once.
void PlayIntro() {}
