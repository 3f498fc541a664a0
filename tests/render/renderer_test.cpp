// The renderers against Mesa: the GL 1.1 renderer's state tables and texture names, and what
// reaches the screen through either renderer (one suite run against both).
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/image.h"
#include "render/renderer.h"
#include "support/gl_harness.h"

namespace {

constexpr int kW = 64, kH = 48;

class RendererTest : public ::testing::Test {
  protected:
    Renderer* r = nullptr;
    void SetUp() override {
        std::string error;
        r = openTestRenderer(RendererKind::GL1, kW, kH, &error);
        ASSERT_NE(r, nullptr) << error;
        r->setBlendMode(7);
        r->setState(6, 1);
        r->bindTexture0(0);
        r->bindTexture1(0);
        r->clear();
    }
    static MeshVertex vertex(float sx, float sy, float z, float c = 1.0f) {
        MeshVertex v = {};
        v.sx = sx;
        v.sy = sy;
        v.z = z;
        v.r = v.g = v.b = c;
        v.a = 1.0f;
        return v;
    }
    // Pixel at screen coordinates (-1..1, y up).
    static void pixelAt(float sx, float sy, uint8_t rgba[4]) {
        int x = static_cast<int>((sx + 1) * 0.5f * kW);
        int y = static_cast<int>((1 - sy) * 0.5f * kH);
        readPixel(x, y, rgba);
    }
    static bool enabled(GLenum cap) { return glIsEnabled(cap) == GL_TRUE; }
    static GLint integer(GLenum what) {
        GLint v = 0;
        glGetIntegerv(what, &v);
        return v;
    }
    // A 2 x 2 RGBA texture: top row red, green; bottom row blue, white; alpha byte `a`.
    static Image* checker(uint8_t a) {
        Image* img = new Image(2, 2, &pixelFormat8888, 2);
        const uint8_t px[16] = {255, 0, 0, a, 0, 255, 0, a, 0, 0, 255, a, 255, 255, 255, a};
        std::copy(px, px + 16, img->pixels());
        return img;
    }
};

TEST_F(RendererTest, OpenLeavesTheFixedStateTheShowRelieson) {
    EXPECT_EQ(integer(GL_DEPTH_FUNC), GL_GEQUAL);
    GLfloat clearDepth = 1, clearColour[4] = {1, 1, 1, 1};
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &clearDepth);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    EXPECT_EQ(clearDepth, 0.0f);
    for (float c : clearColour) EXPECT_EQ(c, 0.0f);
}

TEST_F(RendererTest, StatesAndBlendModesSetExactlyTheirRows) {
    r->setState(1, 1);
    EXPECT_TRUE(enabled(GL_DEPTH_TEST));
    r->setState(1, 5);
    EXPECT_FALSE(enabled(GL_DEPTH_TEST));

    r->setState(6, 2);  // both units on, unit 1 left active
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    EXPECT_TRUE(enabled(GL_TEXTURE_2D));
    r->setState(6, 1);  // unit 1 off, unit 0 on and active
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_TRUE(enabled(GL_TEXTURE_2D));

    struct Row {
        int mode;
        GLenum src, dst;
    } rows[] = {{3, GL_ZERO, GL_ZERO},
                {4, GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA},
                {6, GL_ONE_MINUS_SRC_ALPHA, GL_SRC_COLOR},
                {10, GL_ONE, GL_ONE},
                {11, GL_SRC_COLOR, GL_SRC_ALPHA}};
    for (const Row& row : rows) {
        r->setBlendMode(7);
        r->setBlendMode(row.mode);
        EXPECT_TRUE(enabled(GL_BLEND)) << row.mode;
        EXPECT_TRUE(enabled(GL_TEXTURE_2D)) << row.mode;
        EXPECT_EQ(integer(GL_BLEND_SRC), static_cast<GLint>(row.src)) << row.mode;
        EXPECT_EQ(integer(GL_BLEND_DST), static_cast<GLint>(row.dst)) << row.mode;
    }
    r->setBlendMode(2);
    EXPECT_FALSE(enabled(GL_BLEND));
    EXPECT_TRUE(enabled(GL_TEXTURE_2D));

    r->setState(1, 1);
    r->setBlendMode(7);
    EXPECT_FALSE(enabled(GL_DEPTH_TEST));
    EXPECT_FALSE(enabled(GL_TEXTURE_2D));
    EXPECT_FALSE(enabled(GL_BLEND));

    r->setState(1, 1);
    for (int unlisted : {1, 5, 8, 9, 12, 13, 14, 99}) r->setBlendMode(unlisted);
    EXPECT_TRUE(enabled(GL_DEPTH_TEST));  // unlisted modes change nothing
    EXPECT_FALSE(enabled(GL_BLEND));

    r->setState(6, 2);
    r->setBlendMode(15);  // selects unit 0 first, then as mode 6
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_SRC_COLOR);
    r->setState(6, 1);
}

TEST_F(RendererTest, TexturesAreNamedInCreationOrder) {
    Image* img = checker(0);
    int first = r->textureCount + 1;
    EXPECT_EQ(r->createTexture(img, 1), first);
    EXPECT_EQ(r->createTexture(img, 2), first + 1);
    EXPECT_EQ(r->createTexture(img, 99), first + 2);  // an unknown format still takes a name
    EXPECT_EQ(r->textureCount, first + 2);
    r->updateTexture(first, img, 1);
    EXPECT_EQ(r->textureCount, first + 2);
    delete img;
}

TEST_F(RendererTest, PresentResetsTheTextureMatrix) {
    glMatrixMode(GL_TEXTURE);
    glTranslatef(0.5f, 0, 0);
    glMatrixMode(GL_MODELVIEW);
    r->present();
    GLfloat m[16];
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    EXPECT_EQ(m[12], 0.0f);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
}

// What reaches the screen, the same for both renderers: each case draws on a small offscreen
// target through the Renderer interface only and compares pixels with the colours expected.
class RendererPixels : public ::testing::TestWithParam<RendererKind> {
  protected:
    Renderer* r = nullptr;
    void SetUp() override {
        std::string error;
        r = openTestRenderer(GetParam(), kW, kH, &error);
        ASSERT_NE(r, nullptr) << error;
        reset();
    }
    void TearDown() override {
        if (r) reset();
    }
    void reset() {
        r->setState(6, 1);
        r->bindTexture1(0);
        r->bindTexture0(0);
        r->setBlendMode(7);
        r->setState(1, 0);
        r->clear();
    }
    static MeshVertex vertex(float sx, float sy, float z, float c = 1.0f) {
        MeshVertex v = {};
        v.sx = sx;
        v.sy = sy;
        v.z = z;
        v.r = v.g = v.b = c;
        v.a = 1.0f;
        return v;
    }
    static void pixelAt(float sx, float sy, uint8_t rgba[4]) {
        int x = static_cast<int>((sx + 1) * 0.5f * kW);
        int y = static_cast<int>((1 - sy) * 0.5f * kH);
        readPixel(x, y, rgba);
    }
    // A texture of one texel (RGBA bytes; L8 uses the first byte).
    int solid(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha, int format = 1) {
        Image img(1, 1, &pixelFormat8888, 1);
        const uint8_t px[4] = {red, green, blue, alpha};
        std::copy(px, px + 4, img.pixels());
        return r->createTexture(&img, format);
    }
    // A full-screen quad with colour (c, c, c) and alpha a, texture coordinates 0..1 on both units.
    void fullQuad(float red, float green, float blue, float a) {
        MeshVertex q[4] = {vertex(-1, -1, 1), vertex(1, -1, 1), vertex(1, 1, 1), vertex(-1, 1, 1)};
        const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (int i = 0; i < 4; ++i) {
            q[i].r = red, q[i].g = green, q[i].b = blue, q[i].a = a;
            q[i].u0 = q[i].u1 = uv[i][0];
            q[i].v0 = q[i].v1 = uv[i][1];
        }
        r->drawQuad(&q[0], &q[1], &q[2], &q[3]);
    }
    static std::vector<int> centre() {
        uint8_t px[4];
        pixelAt(0.1f, 0.1f, px);
        return {px[0], px[1], px[2]};
    }
};

#define EXPECT_RGB_NEAR(got, r_, g_, b_, tol)  \
    do {                                       \
        EXPECT_NEAR((got)[0], (r_), (tol));    \
        EXPECT_NEAR((got)[1], (g_), (tol));    \
        EXPECT_NEAR((got)[2], (b_), (tol));    \
    } while (0)

TEST_P(RendererPixels, TheNearerTriangleWinsWithTheDepthTestAndTheLaterWithout) {
    MeshVertex farA = vertex(-1, -1, 10, 0.0f), farB = vertex(1, -1, 10, 0.0f),
               farC = vertex(0, 1, 10, 0.0f);
    farA.r = farB.r = farC.r = 1.0f;  // far: red
    MeshVertex nearA = vertex(-1, -1, 2, 0.0f), nearB = vertex(1, -1, 2, 0.0f),
               nearC = vertex(0, 1, 2, 0.0f);
    nearA.g = nearB.g = nearC.g = 1.0f;  // near: green
    r->setState(1, 1);
    r->drawTriangle(&nearA, &nearB, &nearC);
    r->drawTriangle(&farA, &farB, &farC);  // drawn later but farther: hidden
    uint8_t px[4];
    pixelAt(0, -0.5f, px);
    EXPECT_EQ(px[0], 0);
    EXPECT_EQ(px[1], 255);
    pixelAt(-0.95f, 0.9f, px);  // outside the triangle: the clear colour
    EXPECT_EQ(px[0] + px[1] + px[2], 0);
    r->setState(1, 0);
    r->drawTriangleDual(&farA, &farB, &farC);  // depth test off: the later one covers
    pixelAt(0, -0.5f, px);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 0);
    // A quad lies at depth 1: in front of anything farther than z = 1.
    r->setState(1, 1);
    r->drawTriangle(&nearA, &nearB, &nearC);
    fullQuad(0, 0, 1, 1);
    pixelAt(0, -0.5f, px);
    EXPECT_EQ(px[2], 255);
    EXPECT_EQ(px[1], 0);
}

// A wide texture, black on its left half and white on its right.
Image* halves() {
    Image* img = new Image(64, 1, &pixelFormat8888, 64);
    for (int x = 0; x < 64; ++x)
        for (int c = 0; c < 4; ++c) img->pixels()[x * 4 + c] = c == 3 ? 0 : (x < 32 ? 0 : 255);
    return img;
}

TEST_P(RendererPixels, DrawTriangleIsPerspectiveCorrectAndTheOthersAffine) {
    Image* img = halves();
    int tex = r->createTexture(img, 1);
    delete img;
    r->setState(6, 1);
    r->bindTexture0(tex);
    r->setBlendMode(2);
    // Left edge near (z 1), right edge far (z 4). Perspective puts u = 0.5 at 80 % across
    // ((t/4) / ((1-t) + t/4) = 0.5), affine at 50 %.
    MeshVertex a = vertex(-1, -1, 1), b = vertex(1, -1, 4), c = vertex(1, 1, 4),
               d = vertex(-1, 1, 1);
    a.u0 = d.u0 = 0.0f;
    b.u0 = c.u0 = 1.0f;
    r->drawTriangle(&a, &b, &c);
    r->drawTriangle(&a, &c, &d);
    uint8_t left[4], right[4];
    pixelAt(-1 + 2 * 0.75f, 0, left);
    pixelAt(-1 + 2 * 0.85f, 0, right);
    EXPECT_LT(left[0], 64);
    EXPECT_GT(right[0], 192);
    r->clear();
    r->drawTriangleDual(&a, &b, &c);
    r->drawTriangleDual(&a, &c, &d);
    pixelAt(-1 + 2 * 0.4f, 0, left);
    pixelAt(-1 + 2 * 0.6f, 0, right);
    EXPECT_LT(left[0], 64);
    EXPECT_GT(right[0], 192);
    pixelAt(-1 + 2 * 0.75f, 0, left);
    EXPECT_GT(left[0], 192);  // white already: no perspective
}

TEST_P(RendererPixels, EveryBlendModeWeighsAsItsFactorsSay) {
    // Background (0.2, 0.4, 0.8); incoming texel (0.5, 1, 1) alpha 0.25 (the byte, as loaded)
    // times vertex colour (1, 0.5, 1) alpha 1 on the quad: source (0.5, 0.5, 1), alpha 0.25.
    const int tex = solid(128, 255, 255, 64);
    const float bg[3] = {0.2f, 0.4f, 0.8f};
    const float src[3] = {128 / 255.0f, 0.5f, 1.0f};
    const float sa = 64 / 255.0f;
    struct Row {
        int mode;
        int srcFactor, dstFactor;  // 0 zero, 1 one, 2 1-sa, 3 sa, 4 src colour
    } rows[] = {{2, 1, 0}, {3, 0, 0}, {4, 2, 3}, {6, 2, 5}, {10, 1, 1}, {11, 4, 3}, {15, 2, 5}};
    for (const Row& row : rows) {
        reset();
        fullQuad(bg[0], bg[1], bg[2], 1);
        r->setState(6, 1);
        r->bindTexture0(tex);
        r->setBlendMode(row.mode);
        fullQuad(1, 0.5f, 1, 1);
        std::vector<int> got = centre();
        for (int ch = 0; ch < 3; ++ch) {
            auto factor = [&](int f) {
                switch (f) {
                    case 0: return 0.0f;
                    case 1: return 1.0f;
                    case 2: return 1 - sa;
                    case 3: return sa;
                    case 4: return src[ch];
                    default: return src[ch];  // 5: source colour as the destination's factor
                }
            };
            float want = src[ch] * factor(row.srcFactor) + bg[ch] * factor(row.dstFactor);
            want = std::min(1.0f, want);
            EXPECT_NEAR(got[ch], want * 255, 3) << "mode " << row.mode << " channel " << ch;
        }
    }
    // Mode 7: untextured, no blending, depth test off.
    reset();
    r->setState(1, 1);
    r->bindTexture0(tex);
    r->setBlendMode(7);
    fullQuad(0.2f, 0.4f, 0.8f, 0.5f);
    EXPECT_RGB_NEAR(centre(), 51, 102, 204, 1);
    // An unlisted mode changes nothing: still untextured and unblended.
    r->setBlendMode(5);
    fullQuad(0.6f, 0.6f, 0.6f, 0.5f);
    EXPECT_RGB_NEAR(centre(), 153, 153, 153, 1);
}

TEST_P(RendererPixels, UnitStatesModulateByOneOrBothTextures) {
    const int t0 = solid(255, 128, 64, 0), t1 = solid(128, 255, 255, 0);
    r->setState(6, 2);
    r->bindTexture0(t0);
    r->bindTexture1(t1);
    r->setBlendMode(2);  // on the active unit (1): both on
    fullQuad(1, 1, 1, 1);
    EXPECT_RGB_NEAR(centre(), 128, 128, 64, 2);
    r->setState(6, 1);  // unit 1 off
    fullQuad(1, 1, 1, 1);
    EXPECT_RGB_NEAR(centre(), 255, 128, 64, 1);
    // Texture 0 bound is no texture: that unit does not modulate (the colour fill binds it).
    r->setState(6, 2);
    r->bindTexture1(0);
    fullQuad(1, 1, 1, 1);
    EXPECT_RGB_NEAR(centre(), 255, 128, 64, 1);
    r->bindTexture0(0);
    fullQuad(0.5f, 0.25f, 1, 1);
    EXPECT_RGB_NEAR(centre(), 128, 64, 255, 1);
    // A texture created with an unknown format has no image: the same as none.
    const int empty = solid(10, 10, 10, 0, 99);
    r->setState(6, 1);
    r->bindTexture0(empty);
    fullQuad(1, 1, 1, 1);
    EXPECT_RGB_NEAR(centre(), 255, 255, 255, 1);
    // Mode 15 makes unit 0 active before it turns texturing on: unit 1 stays off.
    r->setState(6, 2);
    r->setBlendMode(7);  // unit 1 (active) off
    r->bindTexture1(t1);
    r->bindTexture0(t0);
    r->setState(6, 1);
    r->setBlendMode(15);
    r->setBlendMode(2);
    fullQuad(1, 1, 1, 1);
    EXPECT_RGB_NEAR(centre(), 255, 128, 64, 1);
}

TEST_P(RendererPixels, QuadsSplitAlongTheFirstDiagonal) {
    // Black corners but c white: llvmpipe's GL splits a quad into (a, b, c) and (a, c, d).
    MeshVertex q[4] = {vertex(-1, -1, 1, 0), vertex(1, -1, 1, 0), vertex(1, 1, 1, 1),
                       vertex(-1, 1, 1, 0)};
    r->drawQuad(&q[0], &q[1], &q[2], &q[3]);
    uint8_t px[4];
    pixelAt(0.5f, 0.3f, px);  // in a b c with weight 0.65 of c; in b c d it would be 0.4
    EXPECT_NEAR(px[0], 166, 3);
}

TEST_P(RendererPixels, QuadsBlendByTheirCornersAlphaAndTrianglesByAlphaOne) {
    // Black over white by mode 4 (1 - source alpha, source alpha): a quad at alpha 0.25 leaves a
    // quarter of the white; a triangle sends alpha 1 whatever its vertices say, and so is unseen.
    fullQuad(1, 1, 1, 1);
    r->setBlendMode(4);
    fullQuad(0, 0, 0, 0.25f);
    EXPECT_RGB_NEAR(centre(), 64, 64, 64, 1);
    reset();
    fullQuad(1, 1, 1, 1);
    r->setBlendMode(4);
    MeshVertex q[4] = {vertex(-1, -1, 1, 0), vertex(1, -1, 1, 0), vertex(1, 1, 1, 0),
                       vertex(-1, 1, 1, 0)};
    for (MeshVertex& v : q) v.a = 0.25f;
    r->drawTriangle(&q[0], &q[1], &q[2]);
    r->drawTriangleDual(&q[0], &q[2], &q[3]);
    uint8_t px[4];
    pixelAt(0.5f, -0.5f, px);
    EXPECT_EQ(px[0], 255);
    pixelAt(-0.5f, 0.5f, px);
    EXPECT_EQ(px[0], 255);
}

// The colour each texture format gives for the texel (200, 100, 50, alpha 77), as llvmpipe's
// GL 1.1 path samples it: RGBA8 exact, RGB5 as 5 bits a channel (rounded, widened by repeating
// the bits) with alpha 1, RGBA4 as 4 bits a channel, L8 the first byte as grey with alpha 1.
TEST_P(RendererPixels, TextureFormatsLookAsInGL11) {
    struct Row {
        int format;
        int rgba[4];
    } rows[] = {{1, {200, 100, 50, 77}},
                {2, {198, 99, 49, 255}},
                {3, {204, 102, 51, 85}},
                {4, {200, 200, 200, 255}}};
    for (const Row& row : rows) {
        reset();
        const int tex = solid(200, 100, 50, 77, row.format);
        r->bindTexture0(tex);
        r->setBlendMode(2);
        fullQuad(1, 1, 1, 1);
        std::vector<int> got = centre();
        SCOPED_TRACE(row.format);
        EXPECT_RGB_NEAR(got, row.rgba[0], row.rgba[1], row.rgba[2], 0);
        // The alpha shows through mode 4 over white: colour (1 - a) + 1 x a.
        reset();
        fullQuad(0, 0, 0, 1);
        r->bindTexture0(tex);
        r->setBlendMode(4);
        fullQuad(1, 1, 1, 1);
        const float a = row.rgba[3] / 255.0f;
        got = centre();
        EXPECT_NEAR(got[0], row.rgba[0] * (1 - a), 2) << "format " << row.format;
    }
}

TEST_P(RendererPixels, SavedStateComesBack) {
    const int tex = solid(255, 0, 0, 0);
    r->setState(6, 1);
    r->bindTexture0(tex);
    r->setBlendMode(10);
    r->saveState();
    r->setState(1, 1);
    r->bindTexture0(0);
    r->setBlendMode(7);
    r->restoreState();
    fullQuad(1, 1, 1, 1);
    fullQuad(1, 1, 1, 1);  // added twice: red 255, nothing else
    EXPECT_RGB_NEAR(centre(), 255, 0, 0, 0);
}

INSTANTIATE_TEST_SUITE_P(BothRenderers, RendererPixels,
                         ::testing::Values(RendererKind::GL1, RendererKind::GLES2),
                         [](const ::testing::TestParamInfo<RendererKind>& info) {
                             return std::string(info.param == RendererKind::GL1 ? "gl1" : "gles2");
                         });

}  // namespace
