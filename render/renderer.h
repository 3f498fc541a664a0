// The renderer interface: the one way the show draws, with the vertex record and named states it
// takes. The backends (OpenGL 1.1, OpenGL ES 2.0) and the wrappers implement it.
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

// Render states for setState, and the values each takes.
constexpr int GLS_DEPTH_TEST = 1;     // GLS_ON or GLS_OFF
constexpr int GLS_TEXTURE_UNITS = 6;  // GLS_UNIT0 or GLS_UNITS01
constexpr int GLS_OFF = 0;
constexpr int GLS_ON = 1;
constexpr int GLS_UNIT0 = 1;    // unit 1 off, unit 0 on and left active
constexpr int GLS_UNITS01 = 2;  // both units on, unit 1 left active

// Blend modes for setBlendMode; factors are (source, destination) of the blend function, and
// texturing means the active unit's. Any other number changes nothing.
constexpr int GLS_BLEND_OFF = 2;                 // texturing on, blending off
constexpr int GLS_BLEND_ZERO = 3;                // texturing on, blending (0, 0)
constexpr int GLS_BLEND_ALPHA = 4;               // texturing on, (1 - src alpha, src alpha)
constexpr int GLS_BLEND_ALPHA_COLOR = 6;         // texturing on, (1 - src alpha, src colour),
                                                 // then the texture matrix reset
constexpr int GLS_UNTEXTURED = 7;                // depth test, texturing and blending off
constexpr int GLS_BLEND_ADD = 10;                // texturing on, (1, 1)
constexpr int GLS_BLEND_COLOR_ALPHA = 11;        // texturing on, (src colour, src alpha)
constexpr int GLS_UNIT0_BLEND_ALPHA_COLOR = 15;  // unit 0 made active, then GLS_BLEND_ALPHA_COLOR

// Texture formats for createTexture and updateTexture.
constexpr int GLS_FORMAT_RGBA8 = 1;
constexpr int GLS_FORMAT_RGB5 = 2;
constexpr int GLS_FORMAT_RGBA4 = 3;
constexpr int GLS_FORMAT_L8 = 4;

// An immediate-mode renderer: textures, a few numbered states and blend modes, and triangles and
// quads of projected vertices. Every operation is pure virtual, so a backend or wrapper that
// leaves one out does not compile. All state persists between calls; each operation changes
// only what its comment says.
class Renderer {
  public:
    int32_t textureCount = 0;  // textures created so far; names are 1, 2, 3 ... in creation order

    virtual ~Renderer() = default;
    // GLS_DEPTH_TEST: depth test on (GLS_ON) or off; GLS_TEXTURE_UNITS: GLS_UNIT0 or GLS_UNITS01.
    virtual void setState(int state, int value) = 0;
    // Re-specifies texture `texture` from `image`; the texture count is unchanged.
    virtual void updateTexture(int texture, const Image* image, int format) = 0;
    // Creates the next texture from `image` in a GLS_FORMAT_* format; returns its name.
    virtual int createTexture(const Image* image, int format) = 0;
    // One triangle, texture unit 0 only, perspective-correct; alpha forced to 1.
    virtual void drawTriangle(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) = 0;
    // One triangle with both texture units, affine texture coordinates; alpha forced to 1.
    virtual void drawTriangleDual(const MeshVertex* a, const MeshVertex* b,
                                  const MeshVertex* c) = 0;
    // Does nothing.
    virtual void drawTriangleReserved(const MeshVertex* a, const MeshVertex* b,
                                      const MeshVertex* c) = 0;
    // One quad at depth 1 with both texture units, each corner with its own colour and alpha.
    virtual void drawQuad(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c,
                          const MeshVertex* d) = 0;
    // Binds `texture` (0 = none) on unit 0, modulating.
    virtual void bindTexture0(int texture) = 0;
    // Binds `texture` (0 = none) on unit 1, modulating.
    virtual void bindTexture1(int texture) = 0;
    // Hints that change nothing.
    virtual void setHint1(int value) = 0;
    virtual void setHint2(int value) = 0;
    // Sets the current colour and alpha to level / 256.
    virtual void setGrey(int level) = 0;
    // Clears colour and depth.
    virtual void clear() = 0;
    // Shows the frame, then resets the texture matrix of the active unit.
    virtual void present() = 0;
    // One of the GLS_* blend modes above; any other mode changes nothing.
    virtual void setBlendMode(int mode) = 0;
    // A hint that changes nothing.
    virtual void setHint3(int value) = 0;

    // Saves the state that the operations above change (enables, blending, depth test, texture
    // units with their bindings, current colour), and puts it back. Work done between
    // frames (the development overlay, a reloaded texture) is wrapped in the pair so that the
    // show's next frame starts from the state its previous frame left. Not called by the show.
    virtual void saveState() = 0;
    virtual void restoreState() = 0;
    // Hands GL what the renderer holds back (an open primitive, a pending batch), so that GL may
    // be called directly (a read-back, a query). The operations above do this themselves.
    virtual void flush() = 0;
};

// The renderer the show draws with: the front of the driver's renderer stack.
extern Renderer* gRenderer;
