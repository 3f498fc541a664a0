// The closing sequence: the tentacle field over gold, the sliding logo and the fade to black.
#pragma once

// Runs until the music order reaches 33 or the user quits.
void runClosingSequence();

// Logo offset of the closing sequence: falls from 0.5 towards 0 while the logo is shown.
extern float logoSlide;
// Puts the closing sequence's carried state (logoSlide) back to its start value.
void resetClosingState();
