// The second renderer: the same pictures as the OpenGL 1.1 one through the OpenGL ES 2.0 feature
// set (GLSL ES 1.00 shaders, one vertex buffer streamed per batch), for ES 2.0 contexts, WebGL 1
// and desktop contexts with ES 2.0 compatibility.
#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/renderer.h"

// Keeps the state the GL 1.1 renderer keeps in GL (enables, blend function, units and bindings)
// as its own, and draws each batch of draws between two state changes with one of four small
// shader programs (by the texture units that are on).
class GLES2Renderer final : public Renderer {
  public:
    // Creates the GL resources; ready() says whether all of them could be had.
    GLES2Renderer();
    bool ready() const { return ready_; }

    void setState(int state, int value) override;
    void updateTexture(int texture, const Image* image, int format) override;
    int createTexture(const Image* image, int format) override;
    void drawTriangle(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) override;
    void drawTriangleDual(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) override;
    void drawTriangleReserved(const MeshVertex*, const MeshVertex*, const MeshVertex*) override {}
    void drawQuad(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c,
                  const MeshVertex* d) override;
    void bindTexture0(int texture) override;
    void bindTexture1(int texture) override;
    void setHint1(int) override {}
    void setHint2(int) override {}
    void setGrey(int level) override;
    void clear() override;
    void present() override;
    void setBlendMode(int mode) override;
    void setHint3(int) override {}
    void saveState() override;
    void restoreState() override;
    // Draws the pending batch, if any.
    void flush() override;

    // Leaves GL as the fixed-function renderer expects it (no program, no vertex arrays): for a
    // test or benchmark that draws with both renderers on one desktop context. The renderer
    // binds its own again at its next draw.
    void suspend();
    // The context came back empty (a browser gives a lost one back so): makes the programs, the
    // buffer and every texture again and sets the GL state the renderer's own state implies.
    bool restore();

  private:
    // One vertex as streamed: screen position and depth, colour, unit 0 (s, t, q), unit 1 (s, t).
    struct StreamVertex {
        float x, y, z;
        float r, g, b, a;
        float s0, t0, q0;
        float s1, t1;
    };
    static_assert(sizeof(StreamVertex) == 12 * 4, "twelve floats a vertex");

    // A texture of the show: the GL name behind it, whether it holds an image, and the bytes it
    // was last given, to give them again when a lost context comes back empty.
    struct Texture {
        GLuint id = 0;
        bool complete = false;
        bool hasImage = false;
        GLenum layout = GL_RGBA;  // GL_RGBA or GL_LUMINANCE
        int width = 0, height = 0;
        std::vector<uint8_t> pixels;
    };

    // Everything the operations change, as the GL 1.1 path keeps it in GL: saved and restored
    // whole.
    struct State {
        bool depthTest = true;
        bool blend = false;
        GLenum blendSrc = GL_ONE, blendDst = GL_ZERO;
        bool unitOn[2] = {true, false};  // GL_TEXTURE_2D per unit (open() enables unit 0)
        int activeUnit = 0;
        int bound[2] = {0, 0};           // the show's texture names
        float colour[4] = {1, 1, 1, 1};  // current colour (setGrey); every draw sends its own
        float unit1[2] = {0, 0};         // unit 1's current coordinate, which drawTriangle keeps
    };

    static constexpr int kBatchVertices = 3 * 8192;  // a full batch is drawn and a new one begun

    // The shader programs, the vertex buffer and the batch storage; false when one is missing.
    bool createResources();
    bool unitTextures(int unit) const;
    void specify(int texture, const Image* image, int format);
    void upload(Texture& t);
    void applyBlend();
    void applyDepth();
    void blendTextured(GLenum src, GLenum dst);
    StreamVertex* reserve(int n);
    void bindStream();

    bool ready_ = false;
    State s_, saved_;
    std::vector<Texture> textures_;  // by the show's name; 0 is "no texture"
    std::vector<StreamVertex> batch_;
    int count_ = 0;
    GLuint programs_[4] = {0, 0, 0, 0};  // by (unit 0 on) | (unit 1 on) << 1
    GLuint buffer_ = 0;
    bool streamBound_ = false;  // program, buffer and attribute arrays are set in GL
    int program_ = -1;          // the program in use, -1 when unknown
    GLuint glBound_[2] = {0, 0};
    bool glBoundKnown_ = false;
};

// Whether the current context can carry the ES 2.0 renderer: "" when it can (an ES 2.0 or later
// context, or a desktop one with GL_ARB_ES2_compatibility or version 4.1), else what it lacks.
std::string gles2ContextSupport();
// Sets the fixed state the show relies on (depth test greater-or-equal, clear colour black, clear
// depth 0) on the current context through the ES 2.0 entry points; false when one is missing.
bool setUpGLES2State();
// Makes the ES 2.0 renderer on the current context: entry points, shaders, the vertex buffer.
// Returns none (with the reason on standard error) when any of them cannot be had.
// The platform's hook for a lost context that came back (platformOnContextRestored) is set to
// restore it.
GLES2Renderer* createGLES2Renderer();
