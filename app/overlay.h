// The development overlay: music position, scene, frame time and the latest reload, drawn over
// each finished frame with the show's own renderer and a font texture from the data set.
#pragma once
#include <cstddef>

#include "app/seek.h"

#include "render/renderer.h"

// Stands in front of the show's renderer in development mode: forwards every operation, and
// in present() first draws the overlay (when F1 has turned it on) and times the frame.
class OverlayRenderer : public Renderer {
  public:
    explicit OverlayRenderer(Renderer* inner) : inner_(inner) {
        textureCount = inner->textureCount;
    }

    void setState(int state, int value) override { inner_->setState(state, value); }
    void updateTexture(int texture, const Image* image, int format) override {
        inner_->updateTexture(texture, image, format);
    }
    int createTexture(const Image* image, int format) override {
        const int name = inner_->createTexture(image, format);
        textureCount = inner_->textureCount;
        return name;
    }
    void drawTriangle(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) override {
        inner_->drawTriangle(a, b, c);
    }
    void drawTriangleDual(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) override {
        inner_->drawTriangleDual(a, b, c);
    }
    void drawTriangleReserved(const MeshVertex* a, const MeshVertex* b,
                              const MeshVertex* c) override {
        inner_->drawTriangleReserved(a, b, c);
    }
    void drawQuad(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c,
                  const MeshVertex* d) override {
        inner_->drawQuad(a, b, c, d);
    }
    void bindTexture0(int texture) override { inner_->bindTexture0(texture); }
    void bindTexture1(int texture) override { inner_->bindTexture1(texture); }
    void setHint1(int value) override { inner_->setHint1(value); }
    void setHint2(int value) override { inner_->setHint2(value); }
    void setGrey(int level) override { inner_->setGrey(level); }
    void clear() override { inner_->clear(); }
    void present() override;
    void setBlendMode(int mode) override { inner_->setBlendMode(mode); }
    void setHint3(int value) override { inner_->setHint3(value); }
    void saveState() override { inner_->saveState(); }
    void restoreState() override { inner_->restoreState(); }

    Renderer* inner() const { return inner_; }

  private:
    Renderer* inner_;
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
// Development mode start: loads the font after every other texture and puts an OverlayRenderer
// in front of gRenderer. Without the font the overlay is not drawn (said on standard error).
void startOverlay();
