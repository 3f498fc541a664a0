// The base of renderers that stand in front of another: every operation passed on unchanged.
#pragma once
#include "render/renderer.h"

// Passes every operation of the interface to its target. A wrapper derives from this and
// overrides only what it does differently, so an operation it does not mention still reaches the
// renderer behind it. The texture count follows the target's.
class ForwardingRenderer : public Renderer {
  public:
    explicit ForwardingRenderer(Renderer* target = nullptr) { setTarget(target); }

    // The renderer behind this one; none until set (then nothing may be called).
    Renderer* target() const { return target_; }
    void setTarget(Renderer* target) {
        target_ = target;
        if (target_) textureCount = target_->textureCount;
    }

    void setState(int state, int value) override { target_->setState(state, value); }
    void updateTexture(int texture, const Image* image, int format) override {
        target_->updateTexture(texture, image, format);
    }
    int createTexture(const Image* image, int format) override {
        const int name = target_->createTexture(image, format);
        textureCount = target_->textureCount;
        return name;
    }
    void drawTriangle(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) override {
        target_->drawTriangle(a, b, c);
    }
    void drawTriangleDual(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) override {
        target_->drawTriangleDual(a, b, c);
    }
    void drawTriangleReserved(const MeshVertex* a, const MeshVertex* b,
                              const MeshVertex* c) override {
        target_->drawTriangleReserved(a, b, c);
    }
    void drawQuad(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c,
                  const MeshVertex* d) override {
        target_->drawQuad(a, b, c, d);
    }
    void bindTexture0(int texture) override { target_->bindTexture0(texture); }
    void bindTexture1(int texture) override { target_->bindTexture1(texture); }
    void setHint1(int value) override { target_->setHint1(value); }
    void setHint2(int value) override { target_->setHint2(value); }
    void setGrey(int level) override { target_->setGrey(level); }
    void clear() override { target_->clear(); }
    void present() override { target_->present(); }
    void setBlendMode(int mode) override { target_->setBlendMode(mode); }
    void setHint3(int value) override { target_->setHint3(value); }
    void saveState() override { target_->saveState(); }
    void restoreState() override { target_->restoreState(); }
    void flush() override { target_->flush(); }

  private:
    Renderer* target_ = nullptr;
};
