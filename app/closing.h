// The closing sequence: the tentacle field over gold, the sliding logo and the fade to black.
#pragma once

// Runs until the music reaches the closing part's end order (the end of the show) or the user
// quits.
void runClosingSequence();

// Logo offset of the closing sequence: falls from 0.5 towards 0 while the logo is shown.
extern float logoSlide;
// Puts the closing sequence's carried state (logoSlide) back to its start value.
void resetClosingState();
