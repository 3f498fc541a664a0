// A renderer that keeps another renderer's state in step but draws nothing: fast-forwarding.
#pragma once
#include "render/renderer.h"

// Passes every state change (states, blend mode, bound textures, colour, hints, texture
// uploads) to `target`, so that the GL state is what full drawing would have left, and drops
// every draw and clear. present calls `onPresent` instead of showing a frame.
class StateOnlyRenderer : public Renderer {
  public:
    using PresentHook = void (*)(void* user);
    StateOnlyRenderer(Renderer* target, PresentHook onPresent, void* user)
        : target_(target), onPresent_(onPresent), user_(user) {
        textureCount = target->textureCount;
    }

    void setState(int state, int value) override { target_->setState(state, value); }
    void updateTexture(int texture, const Image* image, int format) override {
        target_->updateTexture(texture, image, format);
    }
    int createTexture(const Image* image, int format) override {
        int name = target_->createTexture(image, format);
        textureCount = target_->textureCount;
        return name;
    }
    void drawTriangle(const MeshVertex*, const MeshVertex*, const MeshVertex*) override {}
    void drawTriangleDual(const MeshVertex*, const MeshVertex*, const MeshVertex*) override {}
    void drawTriangleReserved(const MeshVertex*, const MeshVertex*, const MeshVertex*) override {}
    void drawQuad(const MeshVertex*, const MeshVertex*, const MeshVertex*,
                  const MeshVertex*) override {}
    void bindTexture0(int texture) override { target_->bindTexture0(texture); }
    void bindTexture1(int texture) override { target_->bindTexture1(texture); }
    void setHint1(int value) override { target_->setHint1(value); }
    void setHint2(int value) override { target_->setHint2(value); }
    void setGrey(int level) override { target_->setGrey(level); }
    void clear() override {}
    void present() override {
        if (onPresent_) onPresent_(user_);
    }
    void setBlendMode(int mode) override { target_->setBlendMode(mode); }
    void setHint3(int value) override { target_->setHint3(value); }

    Renderer* target() const { return target_; }

  private:
    Renderer* target_;
    PresentHook onPresent_;
    void* user_;
};
