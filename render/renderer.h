// The renderer: the one way the show draws, an immediate-mode layer over OpenGL 1.1 with
// multitexture.
#pragma once
#include <cstdint>

class Image;

// One vertex as every triangle and quad path passes it: view-space position, projected
// screen position (-1..1, y up), clip code, colour, two pairs of texture coordinates, alpha.
struct MeshVertex {
    float x, y, z;
    float sx, sy;
    uint32_t clipFlags;
    float r, g, b;
    float u0, v0;
    float u1, v1;
    float a;
};
static_assert(sizeof(MeshVertex) == 14 * 4, "MeshVertex is fourteen 32-bit fields");

// The OpenGL renderer. Operations are virtual so that tests and tools can stand in a
// renderer of their own (one that records calls, or one that does nothing).
class Renderer {
  public:
    int32_t textureCount = 0;  // textures created so far; names are 1, 2, 3 ... in creation order

    virtual ~Renderer() = default;
    // State 1: depth test on (value 1) or off; state 6: texture units (1 = unit 0 only, 2 = both).
    virtual void setState(int state, int value);
    // Re-specifies texture `texture` from `image`; the texture count is unchanged.
    virtual void updateTexture(int texture, const Image* image, int format);
    // Creates the next texture from `image` (format 1 RGBA8, 2 RGB5, 3 RGBA4, 4 L8); returns its
    // name.
    virtual int createTexture(const Image* image, int format);
    // One triangle, texture unit 0 only, perspective-correct; alpha forced to 1.
    virtual void drawTriangle(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c);
    // One triangle with both texture units, affine texture coordinates; alpha forced to 1.
    virtual void drawTriangleDual(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c);
    // Does nothing.
    virtual void drawTriangleReserved(const MeshVertex* a, const MeshVertex* b,
                                      const MeshVertex* c);
    // One quad at depth 1 with both texture units, each corner with its own colour and alpha.
    virtual void drawQuad(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c,
                          const MeshVertex* d);
    // Binds `texture` (0 = none) on unit 0, modulating.
    virtual void bindTexture0(int texture);
    // Binds `texture` (0 = none) on unit 1, modulating.
    virtual void bindTexture1(int texture);
    virtual void setHint1(int value);
    virtual void setHint2(int value);
    // Sets the current colour and alpha to level / 256.
    virtual void setGrey(int level);
    // Clears colour and depth.
    virtual void clear();
    // Shows the frame, then resets the texture matrix of the active unit.
    virtual void present();
    // Blend modes 2, 3, 4, 6, 7, 10, 11, 15; any other mode changes nothing.
    virtual void setBlendMode(int mode);
    virtual void setHint3(int value);
};

// Makes the renderer on the current GL context: clears, loads identities, fetches the
// multitexture entry points. Returns none when allocation fails.
Renderer* createOpenGLRenderer();

// Ends the primitive the last draws left open, so that GL can be called directly (a read-back, a
// query, a state change of its own). The renderer's own operations and present do this
// themselves.
void flushRenderer();

extern Renderer* gRenderer;
