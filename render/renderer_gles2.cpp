// The OpenGL ES 2.0 renderer: the GL 1.1 renderer's states, blend modes and textures kept as its
// own state and drawn by four small shader programs from one streamed vertex buffer.
//
// How it gives the GL 1.1 path's pictures:
// - The GL 1.1 path sends vertex (sx, sy, w) with w = 1 / z and identity matrices, so clip w is 1
//   and everything is interpolated linearly on the screen. drawTriangle sends the unit-0
//   coordinate (u w, v w, 0, w) and GL divides per fragment: the same vec3 (u w, v w, w) is
//   passed here and divided in the fragment shader. drawTriangleDual and drawQuad send plain
//   (affine) coordinates: (u, v, 1) here.
// - A unit's texturing (GL_TEXTURE_2D on that unit) modulates the colour by its texel. A unit
//   whose bound texture is 0 or has no image is an incomplete texture, which fixed-function GL
//   treats as that unit's texturing off; a shader would read black from it, so such a unit counts
//   as off here. The program is chosen from the two units that are on.
// - GL_RGB5 and GL_RGBA4 do not exist as ES 2.0 internal formats: the pixels are quantised on
//   upload to the values llvmpipe's 5-bit and 4-bit textures give (RGB5 reads alpha 1).
// - Quads become the two triangles llvmpipe's GL makes of them (a b c, a c d).
// - A batch is every draw between two changes of state: its vertices go into one buffer with one
//   glBufferData and are drawn with one glDrawArrays.
#include "render/renderer_gles2.h"

#include <GL/glext.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/platform.h"
#include "render/image.h"

namespace {

// Every GL entry point this renderer uses, fetched by name (Windows' opengl32 exports only
// GL 1.1; WebGL has no library to link against).
#define GLES2_ENTRIES(X)                                                         \
    X(PFNGLACTIVETEXTUREPROC, glActiveTexture)                                   \
    X(PFNGLATTACHSHADERPROC, glAttachShader)                                     \
    X(PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation)                         \
    X(PFNGLBINDBUFFERPROC, glBindBuffer)                                         \
    X(decltype(&::glBindTexture), glBindTexture)                                 \
    X(decltype(&::glBlendFunc), glBlendFunc)                                     \
    X(PFNGLBUFFERDATAPROC, glBufferData)                                         \
    X(decltype(&::glClear), glClear)                                             \
    X(decltype(&::glClearColor), glClearColor)                                   \
    X(PFNGLCLEARDEPTHFPROC, glClearDepthf)                                       \
    X(PFNGLCOMPILESHADERPROC, glCompileShader)                                   \
    X(PFNGLCREATEPROGRAMPROC, glCreateProgram)                                   \
    X(PFNGLCREATESHADERPROC, glCreateShader)                                     \
    X(decltype(&::glDepthFunc), glDepthFunc)                                     \
    X(decltype(&::glDisable), glDisable)                                         \
    X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, glDisableVertexAttribArray)             \
    X(decltype(&::glDrawArrays), glDrawArrays)                                   \
    X(decltype(&::glEnable), glEnable)                                           \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray)               \
    X(PFNGLGENBUFFERSPROC, glGenBuffers)                                         \
    X(decltype(&::glGenTextures), glGenTextures)                                 \
    X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)                           \
    X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                                     \
    X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)                             \
    X(PFNGLGETSHADERIVPROC, glGetShaderiv)                                       \
    X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)                         \
    X(PFNGLLINKPROGRAMPROC, glLinkProgram)                                       \
    X(decltype(&::glPixelStorei), glPixelStorei)                                 \
    X(PFNGLSHADERSOURCEPROC, glShaderSource)                                     \
    X(decltype(&::glTexImage2D), glTexImage2D)                                   \
    X(decltype(&::glTexParameteri), glTexParameteri)                             \
    X(PFNGLUNIFORM1IPROC, glUniform1i)                                           \
    X(PFNGLUSEPROGRAMPROC, glUseProgram)                                         \
    X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)

struct Entries {
#define GLES2_FIELD(type, name) type name = nullptr;
    GLES2_ENTRIES(GLES2_FIELD)
#undef GLES2_FIELD
};
Entries gl;

// Fetches the table; the name of the first missing entry point, or none.
const char* loadEntries() {
#define GLES2_LOAD(type, name)                                                   \
    gl.name = reinterpret_cast<type>(platformGetProcAddress(#name));            \
    if (!gl.name) return #name;
    GLES2_ENTRIES(GLES2_LOAD)
#undef GLES2_LOAD
    return nullptr;
}

enum Attribute : GLuint { kPosition = 0, kColour = 1, kTexCoord0 = 2, kTexCoord1 = 3 };

const char* const kVertexShader = R"(#version 100
attribute vec3 position;
attribute vec4 colour;
attribute vec3 texCoord0;
attribute vec2 texCoord1;
varying vec4 vColour;
varying vec3 vTexCoord0;
varying vec2 vTexCoord1;
void main() {
    vColour = colour;
    vTexCoord0 = texCoord0;
    vTexCoord1 = texCoord1;
    gl_Position = vec4(position, 1.0);
}
)";

// Prefixed with the units that are on.
const char* const kFragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D texture0;
uniform sampler2D texture1;
varying vec4 vColour;
varying vec3 vTexCoord0;
varying vec2 vTexCoord1;
void main() {
    vec4 c = vColour;
#ifdef UNIT0
    c *= texture2D(texture0, vTexCoord0.xy / vTexCoord0.z);
#endif
#ifdef UNIT1
    c *= texture2D(texture1, vTexCoord1);
#endif
    gl_FragColor = c;
}
)";

GLuint compile(GLenum kind, const char* const* sources, int count) {
    GLuint shader = gl.glCreateShader(kind);
    gl.glShaderSource(shader, count, sources, nullptr);
    gl.glCompileShader(shader);
    GLint ok = 0;
    gl.glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        gl.glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "gles2: shader does not compile: %s\n", log);
        return 0;
    }
    return shader;
}

GLuint makeProgram(bool unit0, bool unit1) {
    const char* vs[] = {kVertexShader};
    const char* fs[] = {"#version 100\n", unit0 ? "#define UNIT0\n" : "",
                        unit1 ? "#define UNIT1\n" : "", kFragmentShader};
    GLuint v = compile(GL_VERTEX_SHADER, vs, 1);
    GLuint f = compile(GL_FRAGMENT_SHADER, fs, 4);
    if (!v || !f) return 0;
    GLuint p = gl.glCreateProgram();
    gl.glAttachShader(p, v);
    gl.glAttachShader(p, f);
    gl.glBindAttribLocation(p, kPosition, "position");
    gl.glBindAttribLocation(p, kColour, "colour");
    gl.glBindAttribLocation(p, kTexCoord0, "texCoord0");
    gl.glBindAttribLocation(p, kTexCoord1, "texCoord1");
    gl.glLinkProgram(p);
    GLint ok = 0;
    gl.glGetProgramiv(p, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        gl.glGetProgramInfoLog(p, sizeof log, nullptr, log);
        std::fprintf(stderr, "gles2: program does not link: %s\n", log);
        return 0;
    }
    gl.glUseProgram(p);
    GLint t0 = gl.glGetUniformLocation(p, "texture0"), t1 = gl.glGetUniformLocation(p, "texture1");
    if (t0 >= 0) gl.glUniform1i(t0, 0);
    if (t1 >= 0) gl.glUniform1i(t1, 1);
    return p;
}

}  // namespace

GLES2Renderer::GLES2Renderer() {
    ready_ = createResources();
}

bool GLES2Renderer::createResources() {
    for (int i = 0; i < 4; ++i) {
        programs_[i] = makeProgram(i & 1, i & 2);
        if (!programs_[i]) return false;
    }
    gl.glGenBuffers(1, &buffer_);
    if (!batch_.empty()) return true;  // made again on a restored context
    batch_.resize(kBatchVertices);
    textures_.resize(1);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    applyDepth();
    applyBlend();
    return true;
}

bool GLES2Renderer::restore() {
    count_ = 0;  // a batch begun on the lost context is not drawn
    streamBound_ = false;
    program_ = -1;
    glBoundKnown_ = false;
    if (!createResources()) return false;
    for (Texture& t : textures_) {
        if (!t.id) continue;
        gl.glGenTextures(1, &t.id);
        gl.glActiveTexture(GL_TEXTURE0);
        gl.glBindTexture(GL_TEXTURE_2D, t.id);
        upload(t);
    }
    gl.glActiveTexture(GL_TEXTURE0 + s_.activeUnit);
    applyDepth();
    applyBlend();
    return true;
}

bool GLES2Renderer::unitTextures(int unit) const {
    int name = s_.bound[unit];
    return s_.unitOn[unit] && name > 0 && name < static_cast<int>(textures_.size()) &&
           textures_[name].complete;
}

void GLES2Renderer::bindStream() {
    gl.glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    const GLsizei stride = sizeof(StreamVertex);
    gl.glEnableVertexAttribArray(kPosition);
    gl.glEnableVertexAttribArray(kColour);
    gl.glEnableVertexAttribArray(kTexCoord0);
    gl.glEnableVertexAttribArray(kTexCoord1);
    gl.glVertexAttribPointer(kPosition, 3, GL_FLOAT, GL_FALSE, stride,
                             reinterpret_cast<const void*>(offsetof(StreamVertex, x)));
    gl.glVertexAttribPointer(kColour, 4, GL_FLOAT, GL_FALSE, stride,
                             reinterpret_cast<const void*>(offsetof(StreamVertex, r)));
    gl.glVertexAttribPointer(kTexCoord0, 3, GL_FLOAT, GL_FALSE, stride,
                             reinterpret_cast<const void*>(offsetof(StreamVertex, s0)));
    gl.glVertexAttribPointer(kTexCoord1, 2, GL_FLOAT, GL_FALSE, stride,
                             reinterpret_cast<const void*>(offsetof(StreamVertex, s1)));
    streamBound_ = true;
    program_ = -1;
    glBoundKnown_ = false;
}

void GLES2Renderer::flush() {
    if (count_ == 0) return;
    if (!streamBound_) bindStream();
    const bool on0 = unitTextures(0), on1 = unitTextures(1);
    const int program = (on0 ? 1 : 0) | (on1 ? 2 : 0);
    if (program != program_) {
        gl.glUseProgram(programs_[program]);
        program_ = program;
    }
    for (int unit = 0; unit < 2; ++unit) {
        if (!(unit == 0 ? on0 : on1)) continue;
        GLuint id = textures_[s_.bound[unit]].id;
        if (glBoundKnown_ && glBound_[unit] == id) continue;
        gl.glActiveTexture(GL_TEXTURE0 + unit);
        gl.glBindTexture(GL_TEXTURE_2D, id);
        glBound_[unit] = id;
    }
    glBoundKnown_ = true;
    gl.glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count_ * sizeof(StreamVertex)),
                    batch_.data(), GL_STREAM_DRAW);
    gl.glDrawArrays(GL_TRIANGLES, 0, count_);
    count_ = 0;
}

void GLES2Renderer::suspend() {
    flush();
    if (!streamBound_) return;
    gl.glUseProgram(0);
    for (GLuint a : {kPosition, kColour, kTexCoord0, kTexCoord1}) gl.glDisableVertexAttribArray(a);
    gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
    gl.glActiveTexture(GL_TEXTURE0);
    streamBound_ = false;
}

GLES2Renderer::StreamVertex* GLES2Renderer::reserve(int n) {
    if (count_ + n > kBatchVertices) flush();
    StreamVertex* v = &batch_[count_];
    count_ += n;
    return v;
}

void GLES2Renderer::applyDepth() {
    if (s_.depthTest)
        gl.glEnable(GL_DEPTH_TEST);
    else
        gl.glDisable(GL_DEPTH_TEST);
}

void GLES2Renderer::applyBlend() {
    if (s_.blend)
        gl.glEnable(GL_BLEND);
    else
        gl.glDisable(GL_BLEND);
    gl.glBlendFunc(s_.blendSrc, s_.blendDst);
}

void GLES2Renderer::setState(int state, int value) {
    if (state == GLS_DEPTH_TEST) {
        flush();
        s_.depthTest = value == GLS_ON;
        applyDepth();
    } else if (state == GLS_TEXTURE_UNITS) {
        if (value == GLS_UNIT0) {
            flush();
            s_.unitOn[1] = false;
            s_.unitOn[0] = true;
            s_.activeUnit = 0;
        } else if (value == GLS_UNITS01) {
            flush();
            s_.unitOn[0] = s_.unitOn[1] = true;
            s_.activeUnit = 1;
        }
    }
}

namespace {

// Quantises one 8-bit channel to `bits` (4 or 5) and back, as llvmpipe stores it (rounded) and
// samples it (widened by repeating the bits).
inline uint8_t quantise(uint8_t v, int bits) {
    const int top = (1 << bits) - 1;
    const int q = (v * top + 127) / 255;
    return static_cast<uint8_t>((q << (8 - bits)) | (q >> (2 * bits - 8)));
}

// Repeating, linearly filtered: the sampling of every texture of the show.
void setParameters() {
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

}  // namespace

void GLES2Renderer::specify(int texture, const Image* image, int format) {
    flush();
    if (texture <= 0) return;
    if (texture >= static_cast<int>(textures_.size())) textures_.resize(texture + 1);
    Texture& t = textures_[texture];
    if (!t.id) gl.glGenTextures(1, &t.id);
    gl.glActiveTexture(GL_TEXTURE0 + s_.activeUnit);
    gl.glBindTexture(GL_TEXTURE_2D, t.id);
    glBound_[s_.activeUnit] = t.id;
    const bool known = format == GLS_FORMAT_RGBA8 || format == GLS_FORMAT_RGB5 ||
                       format == GLS_FORMAT_RGBA4 || format == GLS_FORMAT_L8;
    // An unknown format leaves the texture as it was (the GL 1.1 path's failing call does too).
    if (!image || !known) {
        setParameters();
        return;
    }
    const int w = image->width(), h = image->height();
    const uint8_t* pixels = image->pixels();
    t.hasImage = true;
    t.width = w;
    t.height = h;
    t.layout = format == GLS_FORMAT_L8 ? GL_LUMINANCE : GL_RGBA;
    const size_t n = static_cast<size_t>(w) * h * (format == GLS_FORMAT_L8 ? 1 : 4);
    t.pixels.assign(pixels, pixels + n);
    if (format == GLS_FORMAT_RGB5) {  // stored as 5 bits a channel and no alpha
        for (size_t i = 0; i < n; i += 4) {
            t.pixels[i] = quantise(pixels[i], 5);
            t.pixels[i + 1] = quantise(pixels[i + 1], 5);
            t.pixels[i + 2] = quantise(pixels[i + 2], 5);
            t.pixels[i + 3] = 255;
        }
    } else if (format == GLS_FORMAT_RGBA4) {
        for (size_t i = 0; i < n; ++i) t.pixels[i] = quantise(pixels[i], 4);
    }
    upload(t);
}

// Gives the bound texture its sampling and, where it has them, its pixels.
void GLES2Renderer::upload(Texture& t) {
    setParameters();
    if (!t.hasImage) return;
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, t.layout, t.width, t.height, 0, t.layout, GL_UNSIGNED_BYTE,
                    t.pixels.data());
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    t.complete = t.width > 0 && t.height > 0;
}

void GLES2Renderer::updateTexture(int texture, const Image* image, int format) {
    flush();
    s_.bound[s_.activeUnit] = texture;
    specify(texture, image, format);
}

int GLES2Renderer::createTexture(const Image* image, int format) {
    flush();
    const int name = ++textureCount;
    s_.bound[s_.activeUnit] = name;
    specify(name, image, format);
    return name;
}

void GLES2Renderer::drawTriangle(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c) {
    StreamVertex* out = reserve(3);
    for (const MeshVertex* v : {a, b, c}) {
        const float w = 1.0f / v->z;
        *out++ = {v->sx,       v->sy,       w, v->r, v->g, v->b, 1.0f, v->u0 * w, v->v0 * w, w,
                  s_.unit1[0], s_.unit1[1]};
    }
}

void GLES2Renderer::drawTriangleDual(const MeshVertex* a, const MeshVertex* b,
                                     const MeshVertex* c) {
    StreamVertex* out = reserve(3);
    for (const MeshVertex* v : {a, b, c}) {
        const float w = 1.0f / v->z;
        *out++ = {v->sx, v->sy, w, v->r, v->g, v->b, 1.0f, v->u0, v->v0, 1.0f, v->u1, v->v1};
    }
    s_.unit1[0] = c->u1;
    s_.unit1[1] = c->v1;
}

void GLES2Renderer::drawQuad(const MeshVertex* a, const MeshVertex* b, const MeshVertex* c,
                             const MeshVertex* d) {
    StreamVertex* out = reserve(6);
    for (const MeshVertex* v : {a, b, c, a, c, d})
        *out++ = {v->sx, v->sy, 1.0f, v->r, v->g, v->b, v->a, v->u0, v->v0, 1.0f, v->u1, v->v1};
    s_.unit1[0] = d->u1;
    s_.unit1[1] = d->v1;
}

void GLES2Renderer::bindTexture0(int texture) {
    flush();
    s_.activeUnit = 0;
    s_.bound[0] = texture;
}

void GLES2Renderer::bindTexture1(int texture) {
    flush();
    s_.activeUnit = 1;
    s_.bound[1] = texture;
}

void GLES2Renderer::setGrey(int level) {
    const float v = level * 0.00390625f;
    for (float& c : s_.colour) c = v;
}

void GLES2Renderer::clear() {
    flush();
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GLES2Renderer::present() {
    flush();
    platformSwapBuffers();
    // The texture matrix is never anything but identity here: nothing to reset.
}

void GLES2Renderer::blendTextured(GLenum src, GLenum dst) {
    s_.unitOn[s_.activeUnit] = true;
    s_.blend = true;
    s_.blendSrc = src;
    s_.blendDst = dst;
}

void GLES2Renderer::setBlendMode(int mode) {
    switch (mode) {
        case GLS_BLEND_OFF:
            flush();
            s_.unitOn[s_.activeUnit] = true;
            s_.blend = false;
            break;
        case GLS_BLEND_ZERO:
            flush();
            blendTextured(GL_ZERO, GL_ZERO);
            break;
        case GLS_BLEND_ALPHA:
            flush();
            blendTextured(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA);
            break;
        case GLS_UNIT0_BLEND_ALPHA_COLOR:
            flush();
            s_.activeUnit = 0;
            blendTextured(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_COLOR);
            break;
        case GLS_BLEND_ALPHA_COLOR:
            flush();
            blendTextured(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_COLOR);
            break;
        case GLS_UNTEXTURED:
            flush();
            s_.depthTest = false;
            s_.unitOn[s_.activeUnit] = false;
            s_.blend = false;
            applyDepth();
            break;
        case GLS_BLEND_ADD:
            flush();
            blendTextured(GL_ONE, GL_ONE);
            break;
        case GLS_BLEND_COLOR_ALPHA:
            flush();
            blendTextured(GL_SRC_COLOR, GL_SRC_ALPHA);
            break;
        default:
            return;
    }
    applyBlend();
}

void GLES2Renderer::saveState() {
    flush();
    saved_ = s_;
}

void GLES2Renderer::restoreState() {
    flush();
    s_ = saved_;
    applyDepth();
    applyBlend();
}

namespace {

bool versionAtLeast(const char* text, int major, int minor) {
    int ma = 0, mi = 0;
    if (!text || std::sscanf(text, "%d.%d", &ma, &mi) != 2) return false;
    return ma > major || (ma == major && mi >= minor);
}

}  // namespace

std::string gles2ContextSupport() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!version) return "no OpenGL version string";
    if (std::strncmp(version, "OpenGL ES ", 10) == 0) {
        if (versionAtLeast(version + 10, 2, 0)) return "";
        return std::string("an OpenGL ES context older than 2.0 (") + version + ")";
    }
    if (versionAtLeast(version, 4, 1)) return "";
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (extensions && std::strstr(extensions, "GL_ARB_ES2_compatibility")) return "";
    return std::string("desktop OpenGL ") + version +
           " without GL_ARB_ES2_compatibility and no OpenGL ES 2.0 context";
}

bool setUpGLES2State() {
    if (const char* missing = loadEntries()) {
        std::fprintf(stderr, "gles2: no entry point %s\n", missing);
        return false;
    }
    gl.glEnable(GL_DEPTH_TEST);
    gl.glDepthFunc(GL_GEQUAL);  // the renderer sends 1/z as depth: nearer is larger
    gl.glClearColor(0, 0, 0, 0);
    gl.glClearDepthf(0.0f);
    return true;
}

namespace {

GLES2Renderer* contextOwner = nullptr;  // the renderer whose objects a restored context needs

void restoreContext() {
    if (!contextOwner) return;
    if (!setUpGLES2State() || !contextOwner->restore())
        std::fprintf(stderr, "gles2: the GL objects cannot be made again after a lost context\n");
}

}  // namespace

GLES2Renderer* createGLES2Renderer() {
    if (!gl.glUseProgram && loadEntries()) return nullptr;
    GLES2Renderer* renderer = new (std::nothrow) GLES2Renderer();
    if (renderer && !renderer->ready()) {
        delete renderer;
        return nullptr;
    }
    contextOwner = renderer;
    platformOnContextRestored(restoreContext);
    return renderer;
}
