// What the show, running in a browser, tells its page (web/) and waits for.
#pragma once
#include <cstdint>

// Shows the frame drawn and gives the browser its turn until it asks for the next one
// (requestAnimationFrame); the blocking frame loops call it at every swap. The page learns how
// long the frame took to draw and the music position heard.
//
// The page may hold the show at any moment, for as many reasons as it likes (not started yet,
// hidden, graphics lost, sound interrupted): the ticks and the music stop at once, as a pause
// stops them, and this call does not return while a reason remains, except to have the frame
// drawn again once lost graphics are back. When the last reason goes, the sound is given a
// few seconds to run (else the music goes on silently on its own clock), the events that came
// meanwhile (the click that resumed it) are dropped, and the show goes on from the same frame.
void webWaitForNextFrame();
// Notes a music position heard (packed as packPosition packs it), for the page.
void webNoteHeard(uint32_t position);
// Has the page watch the sound output SDL opened: from then on it says when each buffer asked
// for will be heard, and counts the buffers asked for too late.
void webWatchSound();
// When the buffer being asked for now will be heard, in nanoseconds of the steady clock; -1 when
// the page cannot tell.
int64_t webSoundHeardNs();
// Seconds from a sample leaving the program to it being heard, as the browser reports it
// (AudioContext.outputLatency where there is one, else baseLatency); 0 before sound opens.
double webAudioOutputLatency();
