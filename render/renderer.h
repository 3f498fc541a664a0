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

// The OpenGL renderer. Operations are virtual so that tests and tools can stand in a
// renderer of their own (one that records calls, or one that does nothing).
class Renderer {
  public:
    int32_t textureCount = 0;  // textures created so far; names are 1, 2, 3 ... in creation order

    virtual ~Renderer() = default;
    // GLS_DEPTH_TEST: depth test on (GLS_ON) or off; GLS_TEXTURE_UNITS: GLS_UNIT0 or GLS_UNITS01.
    virtual void setState(int state, int value);
    // Re-specifies texture `texture` from `image`; the texture count is unchanged.
    virtual void updateTexture(int texture, const Image* image, int format);
    // Creates the next texture from `image` in a GLS_FORMAT_* format; returns its name.
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
    // One of the GLS_* blend modes above; any other mode changes nothing.
    virtual void setBlendMode(int mode);
    virtual void setHint3(int value);

    // Saves the GL state that the operations above change (enables, blending, depth test,
    // texture units with their bindings, current colour), and puts it back. Work done between
    // frames (the development overlay, a reloaded texture) is wrapped in the pair so that the
    // show's next frame starts from the state its previous frame left. Not called by the show.
    virtual void saveState();
    virtual void restoreState();
};

// Makes the renderer on the current GL context: clears, loads identities, fetches the
// multitexture entry points. Returns none when allocation fails.
Renderer* createOpenGLRenderer();

// Ends the primitive the OpenGL 1.1 renderer's last draws left open (part of flushRenderer).
void flushOpenGLRenderer();

extern Renderer* gRenderer;
