// A renderer that keeps another renderer's state in step but draws nothing: fast-forwarding.
#pragma once
#include "render/forwarding_renderer.h"

// Passes every state change (states, blend mode, bound textures, colour, hints, texture uploads,
// saved and restored state) to its target, so that the GL state is what full drawing would have
// left, and drops every draw and clear. present calls `onPresent` instead of showing a frame.
class StateOnlyRenderer : public ForwardingRenderer {
  public:
    explicit StateOnlyRenderer(void (*onPresent)(), Renderer* target = nullptr)
        : ForwardingRenderer(target), onPresent_(onPresent) {}

    void drawTriangle(const MeshVertex*, const MeshVertex*, const MeshVertex*) override {}
    void drawTriangleDual(const MeshVertex*, const MeshVertex*, const MeshVertex*) override {}
    void drawTriangleReserved(const MeshVertex*, const MeshVertex*, const MeshVertex*) override {}
    void drawQuad(const MeshVertex*, const MeshVertex*, const MeshVertex*,
                  const MeshVertex*) override {}
    void clear() override {}
    void present() override {
        if (onPresent_) onPresent_();
    }

  private:
    void (*onPresent_)();
};
