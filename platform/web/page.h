// What the show, running in a browser, tells its page (web/index.html) and waits for.
#pragma once
#include <cstdint>

// Shows the frame drawn and gives the browser its turn until it asks for the next one
// (requestAnimationFrame); the blocking frame loops call it at every swap. The page learns how
// long the frame took to draw and the music position heard.
void webWaitForNextFrame();
// Shows "Click to start" over the frame on the page and returns once the person clicks or presses
// Enter (at once when the click that asked to play again started this run): browsers let sound
// start only after such a gesture. The Web Audio output runs when this returns.
void webWaitForStart();
// Notes a music position heard (packed as packPosition packs it), for the page's next frame.
void webNoteHeard(uint32_t position);
// Seconds from a sample leaving the program to it being heard, as the browser reports it
// (AudioContext.outputLatency where there is one, else baseLatency); 0 before sound opens.
double webAudioOutputLatency();
