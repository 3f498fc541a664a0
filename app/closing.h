// The closing sequence: the tentacle field over gold, the sliding logo and the fade to black.
#pragma once

// Runs until the music order reaches 33 or the user quits.
void runClosingSequence();
