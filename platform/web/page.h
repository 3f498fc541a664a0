// What a browser program tells its page (web/index.html) and waits for: start, frames, the end.
#pragma once

// The page shows "Click to start" (again: "Click to play again") over the last frame drawn and
// returns once the person clicks or presses Enter: browsers let sound start only after such a
// gesture. The Web Audio context is running when this returns.
void webWaitForStart(bool again);
// Gives the browser its turn until it asks for the next frame (requestAnimationFrame): the GL
// frame drawn so far is shown then. The blocking frame loop calls it in place of a swap wait.
void webWaitForNextFrame();
// Reports a drawn frame to the page: how long drawing it took and the music position heard.
void webReportFrame(double drawMs, int order, int row);
// Tells the page the show has ended (Escape, or the music's end).
void webReportEnded();
// Seconds from a sample leaving the program to it being heard, as the browser reports it
// (AudioContext.outputLatency where there is one, else baseLatency); 0 before sound starts.
double webAudioOutputLatency();
// The Web Audio clock, in seconds (AudioContext.currentTime); 0 before sound starts.
double webAudioTime();
