// The capture's frame grabber: a virtual clock that moves one frame per swap, and every frame
// read back, its copy overlapping the drawing of the next one. It hooks the platform's swap; the
// show programs link none of it.
#pragma once
#include <cstdint>

// Receives frame `frameIndex`: RGBA bytes, bottom row first, of the whole drawable. Frames arrive
// in order, each one swap after it was presented (the last one when capture ends).
using CaptureFrameSink = void (*)(uint64_t frameIndex, const uint8_t* rgba, int width, int height,
                                  void* user);
// Called after each frame with the virtual time (ms) of the next frame, before it is drawn.
using CaptureAdvance = void (*)(uint64_t frameIndex, uint32_t nextTicks, void* user);

// Switches the platform to capture mode: ticks become virtual (0 until the first swap), and
// every swap starts the read-back of the frame, hands the previous frame to `sink`, moves the
// clock to the next frame's time (k * 1000 / fps ms for frame k) and calls `advance`.
void beginCapture(int fps, CaptureFrameSink sink, CaptureAdvance advance, void* user);
// Whether capture mode is on.
bool captureActive();
// Number of frames presented so far in capture mode.
uint64_t capturedFrames();
// Counts a frame that was not drawn (a fast-forward) and moves the clock on, as
// captureFrame does, without reading anything back or handing it to the sink.
void skipCaptureFrame();
// Virtual time (ms) of frame k at the capture's frame rate.
uint32_t captureFrameTicks(uint64_t frameIndex);
// Starts reading the frame back and moves the clock on; called by the swap in capture mode, with
// the frame still in the back buffer.
void captureFrame(int width, int height);
// Hands the last frame read back to the sink; needs the GL context, so it runs before the context
// is released. Does nothing when no frame is waiting.
void finishCapture();
// Why a frame could not be handed to the sink (its read-back buffer could not be mapped), or ""
// while every frame has been. A capture that reports one has lost a frame and should stop.
const char* captureFailure();
// Wall time spent reading frames back since capture began (waiting for the rasteriser to finish a
// frame included), the sink's own time left out.
double captureReadBackSeconds();
