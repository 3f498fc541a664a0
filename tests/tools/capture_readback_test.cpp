// The capture's read-back: a frame whose pixel buffer cannot be mapped is reported, not skipped.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/capture/readback.h"
#include "platform/platform.h"

namespace {

int framesSeen = 0;

void countFrame(uint64_t, const uint8_t*, int, int, void*) {
    ++framesSeen;
}

TEST(CaptureReadBack, AFrameThatCannotBeMappedIsAFailure) {
    ASSERT_EQ(platformInit(), "");
    ASSERT_EQ(platformCreateWindow(64, 48, "read-back"), "");
    ASSERT_EQ(platformSetPixelFormat(), "");
    ASSERT_TRUE(platformCreateContext());
    ASSERT_TRUE(platformMakeCurrent());
    auto isBuffer = reinterpret_cast<PFNGLISBUFFERPROC>(platformGetProcAddress("glIsBuffer"));
    auto bind = reinterpret_cast<PFNGLBINDBUFFERPROC>(platformGetProcAddress("glBindBuffer"));
    auto map = reinterpret_cast<PFNGLMAPBUFFERPROC>(platformGetProcAddress("glMapBuffer"));
    ASSERT_TRUE(isBuffer && bind && map);

    beginCapture(30, countFrame, nullptr, nullptr);
    captureFrame(64, 48);
    captureFrame(64, 48);
    EXPECT_EQ(framesSeen, 1);
    EXPECT_STREQ(captureFailure(), "");
    // Every buffer the read-back made is mapped here, so its own mapping of the next frame fails.
    std::vector<GLuint> mapped;
    for (GLuint name = 1; name < 64; ++name)
        if (isBuffer(name)) {
            bind(GL_PIXEL_PACK_BUFFER, name);
            if (map(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY)) mapped.push_back(name);
        }
    bind(GL_PIXEL_PACK_BUFFER, 0);
    ASSERT_FALSE(mapped.empty()) << "the read-back uses no pixel buffers here";
    finishCapture();  // hands frame 1 on, then deletes the buffers (unmapping them)
    EXPECT_EQ(framesSeen, 1);
    EXPECT_NE(std::string(captureFailure()).find("frame 1"), std::string::npos)
        << captureFailure();
    platformShutdown();
}

}  // namespace
