// The OpenGL 1.1 renderer: textures, render states, blend modes and immediate-mode triangles and
// quads.
#include "render/renderer_gl1.h"

#include <new>

#include "platform/platform.h"
#include "render/image.h"

namespace {

struct TextureFormat {
    GLint internal;
    GLenum data;
};

// Maps a format code to GL's internal and data formats; false for an unknown code.
bool textureFormat(int code, TextureFormat& out) {
    switch (code) {
        case GLS_FORMAT_RGBA8:
            out = {GL_RGBA8, GL_RGBA};
            return true;
        case GLS_FORMAT_RGB5:
            out = {GL_RGB5, GL_RGBA};
            return true;
        case GLS_FORMAT_RGBA4:
            out = {GL_RGBA4, GL_RGBA};
            return true;
        case GLS_FORMAT_L8:
            out = {GL_LUMINANCE8, GL_LUMINANCE};
            return true;
        default:
            return false;
    }
}

// Wrap, filter and image of the bound texture; an unknown format leaves it without an image.
void specifyTexture(const Image* image, int format) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    TextureFormat f;
    if (!image || !textureFormat(format, f)) return;
    glTexImage2D(GL_TEXTURE_2D, 0, f.internal, image->width(), image->height(), 0, f.data,
                 GL_UNSIGNED_BYTE, image->pixels());
}

// Texturing on with blending by (src, dst).
void blendTextured(GLenum src, GLenum dst) {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(src, dst);
}

void resetTextureMatrix() {
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace

Renderer* createGL1Renderer() {
    return new (std::nothrow) GL1Renderer();
}

GL1Renderer::GL1Renderer() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    activeTexture_ =
        reinterpret_cast<PFNGLACTIVETEXTUREARBPROC>(platformGetProcAddress("glActiveTextureARB"));
    multiTexCoord2f_ = reinterpret_cast<PFNGLMULTITEXCOORD2FARBPROC>(
        platformGetProcAddress("glMultiTexCoord2fARB"));
    resetTextureMatrix();
}

void GL1Renderer::closeBatch() {
    if (batch_ == Batch::None) return;
    glEnd();
    batch_ = Batch::None;
}

void GL1Renderer::continueBatch(Batch kind, GLenum mode) {
    if (batch_ == kind) return;
    closeBatch();
    glBegin(mode);
    batch_ = kind;
}

void GL1Renderer::flush() {
    closeBatch();
}

void GL1Renderer::setState(int state, int value) {
    if (state == GLS_DEPTH_TEST ||
        (state == GLS_TEXTURE_UNITS && (value == GLS_UNIT0 || value == GLS_UNITS01)))
        closeBatch();
    if (state == GLS_DEPTH_TEST) {
        if (value == GLS_ON)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
    } else if (state == GLS_TEXTURE_UNITS) {
        if (value == GLS_UNIT0) {
            activeTexture_(GL_TEXTURE1_ARB);
            glDisable(GL_TEXTURE_2D);
            activeTexture_(GL_TEXTURE0_ARB);
            glEnable(GL_TEXTURE_2D);
        } else if (value == GLS_UNITS01) {
            activeTexture_(GL_TEXTURE0_ARB);
            glEnable(GL_TEXTURE_2D);
            activeTexture_(GL_TEXTURE1_ARB);
            glEnable(GL_TEXTURE_2D);
        }
    }
}

void GL1Renderer::updateTexture(int texture, const Image* image, int format) {
    closeBatch();
    glBindTexture(GL_TEXTURE_2D, texture);
    specifyTexture(image, format);
}

int GL1Renderer::createTexture(const Image* image, int format) {
    closeBatch();
    int name = ++textureCount;
    glBindTexture(GL_TEXTURE_2D, name);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_SPECULAR);
    specifyTexture(image, format);
    return name;
}

void GL1Renderer::drawTriangle(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) {
    continueBatch(Batch::Triangles, GL_TRIANGLES);
    for (const MeshVertex* v : {a, b, c}) {
        float w = 1.0f / v->z;
        glColor4f(v->r, v->g, v->b, 1.0f);
        glTexCoord4f(v->u0 * w, v->v0 * w, 0.0f, w);  // homogeneous: perspective-correct
        glVertex3f(v->sx, v->sy, w);
    }
}

void GL1Renderer::drawTriangleDual(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) {
    continueBatch(Batch::DualTriangles, GL_TRIANGLES);
    for (const MeshVertex* v : {a, b, c}) {
        float w = 1.0f / v->z;
        glColor4f(v->r, v->g, v->b, 1.0f);
        multiTexCoord2f_(GL_TEXTURE0_ARB, v->u0, v->v0);
        multiTexCoord2f_(GL_TEXTURE1_ARB, v->u1, v->v1);
        glVertex3f(v->sx, v->sy, w);
    }
}

void GL1Renderer::drawTriangleReserved(const MeshVertex*, const MeshVertex*, const MeshVertex*) {}

void GL1Renderer::drawQuad(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c,
                           const MeshVertex* d) {
    continueBatch(Batch::Quads, GL_QUADS);
    for (const MeshVertex* v : {a, b, c, d}) {
        glColor4f(v->r, v->g, v->b, v->a);
        multiTexCoord2f_(GL_TEXTURE0_ARB, v->u0, v->v0);
        multiTexCoord2f_(GL_TEXTURE1_ARB, v->u1, v->v1);
        glVertex3f(v->sx, v->sy, 1.0f);
    }
}

void GL1Renderer::bindTexture0(int texture) {
    closeBatch();
    activeTexture_(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void GL1Renderer::bindTexture1(int texture) {
    closeBatch();
    activeTexture_(GL_TEXTURE1_ARB);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void GL1Renderer::setHint1(int) {}
void GL1Renderer::setHint2(int) {}

void GL1Renderer::setGrey(int level) {
    closeBatch();
    float v = level * 0.00390625f;
    glColor4f(v, v, v, v);
}

void GL1Renderer::clear() {
    closeBatch();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GL1Renderer::present() {
    closeBatch();
    platformSwapBuffers();
    resetTextureMatrix();
}

void GL1Renderer::setBlendMode(int mode) {
    static const int kModesWithEffect[] = {2, 3, 4, 6, 7, 10, 11, 15};
    for (int m : kModesWithEffect)
        if (m == mode) closeBatch();
    switch (mode) {
        case GLS_BLEND_OFF:
            glEnable(GL_TEXTURE_2D);
            glDisable(GL_BLEND);
            break;
        case GLS_BLEND_ZERO:
            blendTextured(GL_ZERO, GL_ZERO);
            break;
        case GLS_BLEND_ALPHA:
            blendTextured(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA);
            break;
        case GLS_UNIT0_BLEND_ALPHA_COLOR:
            activeTexture_(GL_TEXTURE0_ARB);
            [[fallthrough]];
        case GLS_BLEND_ALPHA_COLOR:
            blendTextured(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_COLOR);
            resetTextureMatrix();
            break;
        case GLS_UNTEXTURED:
            glDisable(GL_DEPTH_TEST);
            glDisable(GL_TEXTURE_2D);
            glDisable(GL_BLEND);
            break;
        case GLS_BLEND_ADD:
            blendTextured(GL_ONE, GL_ONE);
            break;
        case GLS_BLEND_COLOR_ALPHA:
            blendTextured(GL_SRC_COLOR, GL_SRC_ALPHA);
            break;
        default:
            break;
    }
}

void GL1Renderer::setHint3(int) {}

void GL1Renderer::saveState() {
    closeBatch();  // attribute pushes and pops are not allowed between begin and end
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &savedActiveTexture_);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT |
                 GL_CURRENT_BIT);
}

void GL1Renderer::restoreState() {
    closeBatch();
    glPopAttrib();
    activeTexture_(static_cast<GLenum>(savedActiveTexture_));
}
