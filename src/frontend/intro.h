// The intro animation between the title and the first round.
#pragma once

void PlayIntro();
