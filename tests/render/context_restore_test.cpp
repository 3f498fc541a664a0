// A GL context that is lost and comes back empty (as a browser may give it back): the ES 2.0
// renderer makes its programs, buffer and textures again and draws the same picture.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/platform.h"
#include "render/image.h"
#include "render/renderer.h"
#include "support/gl_harness.h"

namespace {

constexpr int kW = 64, kH = 48;

// Two textures of other formats, blended over each other on both units.
void drawScene(Renderer* r, int a, int b) {
    r->setState(6, 1);
    r->clear();
    r->bindTexture0(a);
    r->bindTexture1(b);
    r->setBlendMode(2);
    MeshVertex q[4] = {};
    const float corner[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int i = 0; i < 4; ++i) {
        q[i].sx = corner[i][0], q[i].sy = corner[i][1], q[i].z = 1;
        q[i].r = q[i].g = q[i].b = q[i].a = 1;
        q[i].u0 = q[i].u1 = (corner[i][0] + 1) / 2;
        q[i].v0 = q[i].v1 = (corner[i][1] + 1) / 2;
    }
    r->drawQuad(&q[0], &q[1], &q[2], &q[3]);
    r->present();
}

TEST(ContextRestore, TheES2RendererDrawsTheSamePictureAfterItsObjectsAreGone) {
    std::string error;
    Renderer* r = openTestRenderer(RendererKind::GLES2, kW, kH, &error);
    ASSERT_NE(r, nullptr) << error;
    Image stripes(4, 4, &pixelFormat8888, 4);
    for (int i = 0; i < 16 * 4; ++i) stripes.pixels()[i] = static_cast<uint8_t>(i * 37);
    const int a = r->createTexture(&stripes, 2), b = r->createTexture(&stripes, 4);
    drawScene(r, a, b);
    const std::vector<uint8_t> before = readFrame(kW, kH);

    // Everything the renderer made in GL is deleted, as a lost context loses it.
    auto deleteProgram = reinterpret_cast<PFNGLDELETEPROGRAMPROC>(platformGetProcAddress("glDeleteProgram"));
    auto deleteBuffers = reinterpret_cast<PFNGLDELETEBUFFERSPROC>(platformGetProcAddress("glDeleteBuffers"));
    ASSERT_TRUE(deleteProgram && deleteBuffers);
    std::vector<GLuint> names(4096);
    for (GLuint i = 0; i < names.size(); ++i) names[i] = i + 1;
    glDeleteTextures(GLsizei(names.size()), names.data());
    deleteBuffers(256, names.data());
    for (GLuint i = 1; i <= 256; ++i) deleteProgram(i);
    drawScene(r, a, b);
    ASSERT_NE(readFrame(kW, kH), before) << "the deletion changed nothing: the test proves nothing";

    platformContextRestored();
    drawScene(r, a, b);
    EXPECT_EQ(readFrame(kW, kH), before);
    r->bindTexture1(0);
    r->bindTexture0(0);
    r->setBlendMode(7);
}

}  // namespace
