// The OpenGL 1.1 renderer: immediate-mode triangles and quads with the multitexture extension.
#pragma once
#include <GL/gl.h>
#include <GL/glext.h>

#include "render/renderer.h"

// Draws on the current GL 1.1 context, which the display has set up (depth test greater-or-equal,
// texturing on, clear depth 0) and whose driver offers GL_ARB_multitexture.
class GL1Renderer final : public Renderer {
  public:
    // Clears, loads the identities and fetches the multitexture entry points.
    GL1Renderer();

    void setState(int state, int value) override;
    void updateTexture(int texture, const Image* image, int format) override;
    int createTexture(const Image* image, int format) override;
    void drawTriangle(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) override;
    void drawTriangleDual(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) override;
    void drawTriangleReserved(const MeshVertex* a, const MeshVertex* b,
                              const MeshVertex* c) override;
    void drawQuad(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c,
                  const MeshVertex* d) override;
    void bindTexture0(int texture) override;
    void bindTexture1(int texture) override;
    void setHint1(int value) override;
    void setHint2(int value) override;
    void setGrey(int level) override;
    void clear() override;
    void present() override;
    void setBlendMode(int mode) override;
    void setHint3(int value) override;
    void saveState() override;
    void restoreState() override;
    void flush() override;

  private:
    // Consecutive draws of one kind share a single glBegin/glEnd: the primitive stays open after
    // a draw and is closed by the first call that needs GL outside begin/end (a state or blend
    // change, a bind, a texture upload, clear, present) or by a draw of another kind. Rasterising
    // is the same as with one pair per draw; the driver only sees far fewer primitives.
    enum class Batch { None, Triangles, DualTriangles, Quads };
    void closeBatch();
    void continueBatch(Batch kind, GLenum mode);

    // The two multitexture entry points, fetched by name (named apart from the prototypes that
    // Mesa's gl.h declares).
    PFNGLACTIVETEXTUREARBPROC activeTexture_ = nullptr;
    PFNGLMULTITEXCOORD2FARBPROC multiTexCoord2f_ = nullptr;
    Batch batch_ = Batch::None;
    GLint savedActiveTexture_ = GL_TEXTURE0_ARB;  // what restoreState makes active again
};

// Makes the OpenGL 1.1 renderer on the current context; none when allocation fails. A build
// without this backend (the browser's) says none always.
Renderer* createGL1Renderer();
