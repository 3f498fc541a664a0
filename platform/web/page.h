// The browser page's side of the show (web/*.js), as calls: what the show tells it and waits for.
#pragma once
#include <cstdint>

// Gives the browser its turn until it asks for the next frame (requestAnimationFrame).
void webWaitForAnimationFrame();
// Waits for the page's next change of holds or of the graphics context.
void webWaitForPageChange();
// True once the page's sound runs, false when it did not start within the page's time limit.
bool webWaitForSound();
// Has the page offer the start; true when it has had it already (the click that asked to play
// again), so the show need not wait for one.
bool webOfferStart();
// Tells the page how long the frame took to draw and the position last heard (-1, -1: none yet).
void webReportFrame(double drawMs, int order, int row);
// Has the page give the canvas's drawing buffer the size it is shown at; true when that changed
// the size (the picture is gone, and the viewport must follow).
bool webFitCanvas();
// The size of the canvas's drawing buffer, in pixels.
void webCanvasSize(int* width, int* height);

// Notes a music position heard (packed as packPosition packs it), for the page.
void webNoteHeard(uint32_t position);
// The position noted last; kNoPositionHeard before the first.
constexpr uint32_t kNoPositionHeard = 0xFFFFFFFFu;
uint32_t webLastHeard();
// Has the page watch the sound output SDL opened: from then on it says when each buffer asked
// for will be heard, and counts the buffers asked for too late.
void webWatchSound();
// When the buffer being asked for now will be heard, in nanoseconds of the steady clock; -1 when
// the page cannot tell.
int64_t webSoundHeardNs();
// Seconds from a sample leaving the program to it being heard, as the browser reports it
// (AudioContext.outputLatency where there is one, else baseLatency); 0 before sound opens.
double webAudioOutputLatency();
