// The intro animation between the title and the first round.
#pragma once

// Waits for the Enter that opened it to be released, then plays the scene
// over the clouds while "ships1.voc" sounds, and returns when the music has
// stopped. Enter cuts it short at the start of almost every step; the music
// is left playing from where it stands.
void PlayIntro();
