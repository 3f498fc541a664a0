// The development overlay: music position, scene, frame time and the latest reload, drawn over
// each finished frame with the show's own renderer and a font texture from the data set.
#pragma once
#include <cstddef>

#include "app/seek.h"

#include "render/forwarding_renderer.h"

// Stands in front of the show's renderer in development mode: forwards every operation, and
// in present() first draws the overlay (when F1 has turned it on) and times the frame.
class OverlayRenderer : public ForwardingRenderer {
  public:
    explicit OverlayRenderer(Renderer* target = nullptr) : ForwardingRenderer(target) {}
    void present() override;

  private:
    double lastPresent_ = -1.0;  // seconds on the steady clock; below 0 before the first frame
    double frameMs_ = 0.0;       // smoothed frame time
};

// Lines of the overlay text and their longest length (longer text is cut).
constexpr int kOverlayLines = 5;
constexpr int kOverlayColumns = 72;
using OverlayText = char[kOverlayLines][kOverlayColumns + 1];

// Writes the overlay's lines for the given state into text (unused lines empty). Allocates
// nothing.
void formatOverlay(int order, int row, double frameMs, const char* message, OverlayText& text);
// Sets the message line (the latest reload's result); "" clears it. Not for per-frame use.
void setOverlayMessage(const char* text);
// The message line as the overlay shows it.
const char* overlayMessage();
// Makes the next frame start the frame timing afresh (after a pause, which is no frame time).
void restartOverlayTiming();
// Development mode start: loads the font after every other texture. Without it the overlay is not
// drawn (said on standard error). The driver puts the OverlayRenderer in front of the backend.
void startOverlay();
