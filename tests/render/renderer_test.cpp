// The OpenGL renderer against Mesa: state tables, texture names and what reaches the screen.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cmath>

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
        r = openTestDisplay(kW, kH, &error);
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

TEST_F(RendererTest, TrianglesUseVertexColourAndTheNearerWinsWithTheDepthTest) {
    r->setState(1, 1);
    MeshVertex farA = vertex(-1, -1, 10, 0.0f), farB = vertex(1, -1, 10, 0.0f),
               farC = vertex(0, 1, 10, 0.0f);
    farA.r = farB.r = farC.r = 1.0f;  // far: red
    MeshVertex nearA = vertex(-1, -1, 2, 0.0f), nearB = vertex(1, -1, 2, 0.0f),
               nearC = vertex(0, 1, 2, 0.0f);
    nearA.g = nearB.g = nearC.g = 1.0f;  // near: green
    r->drawTriangle(&nearA, &nearB, &nearC);
    r->drawTriangle(&farA, &farB, &farC);  // drawn later but farther: hidden
    uint8_t px[4];
    pixelAt(0, -0.5f, px);
    EXPECT_EQ(px[0], 0);
    EXPECT_EQ(px[1], 255);
    pixelAt(-0.95f, 0.9f, px);  // outside the triangle: the clear colour
    EXPECT_EQ(px[0] + px[1] + px[2], 0);
    r->setState(1, 0);
}

TEST_F(RendererTest, SingleTextureIsPerspectiveCorrect) {
    // A texture that is black on its left half and white on its right half.
    Image img(4, 1, &pixelFormat8888, 4);
    const uint8_t px[16] = {0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0, 255, 255, 255, 0};
    std::copy(px, px + 16, img.pixels());
    int tex = r->createTexture(&img, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    r->setState(6, 1);  // unit 1 off: creating the texture bound it on the active unit
    r->bindTexture0(tex);
    r->setBlendMode(2);
    // A quad whose left edge is near (z 1) and right edge far (z 4). Affine mapping would put
    // u = 0.5 at the screen middle; perspective puts it at x = 1/1 / (1/1 + 1/4) scaled across.
    MeshVertex a = vertex(-1, -1, 1), b = vertex(1, -1, 4), c = vertex(1, 1, 4),
               d = vertex(-1, 1, 1);
    a.u0 = d.u0 = 0.0f;
    b.u0 = c.u0 = 1.0f;
    r->drawTriangle(&a, &b, &c);
    r->drawTriangle(&a, &c, &d);
    // u = 0.5 lies where the screen fraction t satisfies (t/4) / ((1-t) + t/4) = 0.5: t = 0.8.
    uint8_t left[4], right[4];
    pixelAt(-1 + 2 * 0.75f, 0, left);
    pixelAt(-1 + 2 * 0.85f, 0, right);
    EXPECT_LT(left[0], 64);    // still the black half at 75 % across
    EXPECT_GT(right[0], 192);  // white beyond 80 %
    r->bindTexture0(0);
    r->setBlendMode(7);
}

TEST_F(RendererTest, QuadsBlendWithInvertedAlphaAndUseTheirOwnAlpha) {
    MeshVertex a = vertex(-1, -1, 1), b = vertex(1, -1, 1), c = vertex(1, 1, 1),
               d = vertex(-1, 1, 1);
    for (MeshVertex* v : {&a, &b, &c, &d}) v->b = 0.0f, v->g = 0.0f;  // red background
    r->drawQuad(&a, &b, &c, &d);
    // Mode 4 with an untextured white quad of alpha 0.25: colour x (1 - a) + stored x a.
    r->setBlendMode(4);
    r->bindTexture0(0);
    glDisable(GL_TEXTURE_2D);
    MeshVertex e = vertex(-1, -1, 1), f = vertex(1, -1, 1), g = vertex(1, 1, 1),
               h = vertex(-1, 1, 1);
    for (MeshVertex* v : {&e, &f, &g, &h}) v->a = 0.25f;
    r->drawQuad(&e, &f, &g, &h);
    uint8_t px[4];
    pixelAt(0, 0, px);
    EXPECT_NEAR(px[0], 255, 2);  // 1 x 0.75 + 1 x 0.25
    EXPECT_NEAR(px[1], 191, 3);  // 1 x 0.75 + 0 x 0.25
    r->setBlendMode(7);
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

}  // namespace
