// The show's frames in a browser page: yielding to the page at each swap, and the page's holds.
#pragma once

// Shows the frame drawn and gives the browser its turn until it asks for the next one; the
// blocking frame loops call it at every swap. The page learns how long the frame took to draw
// and the music position heard.
//
// The page may hold the show at any moment, for as many reasons as it likes (not started yet,
// hidden, graphics lost, sound interrupted): the ticks and the music stop at once, as a pause
// stops them, and this call does not return while a reason remains, except to have the frame
// drawn again once lost graphics are back or the canvas changed size. When the last reason goes,
// the sound is given a few seconds to run (else the music goes on silently on its own clock), the
// events that came meanwhile (the click that resumed it) are dropped, and the show goes on from
// the same frame.
void webWaitForNextFrame();
