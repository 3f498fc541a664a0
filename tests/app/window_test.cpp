// The message pump: Escape closes through the close request, quitting sticks, a resize refits.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/window.h"
#include "platform/platform.h"
#include "support/gl_harness.h"

namespace {

void drainQueue() {
    PlatformEvent e;
    while (platformPollEvent(e)) {
    }
}

class PumpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_NE(openTestDisplay(64, 48, &error), nullptr) << error;
        drainQueue();
        gQuitRequested = 0;
    }
    void TearDown() override { gQuitRequested = 0; }
};

TEST_F(PumpTest, OtherKeysDoNothingAndTheQueueEmpties) {
    platformPostKeyDown('a');
    platformPostKeyDown(' ');
    EXPECT_EQ(pumpMessages(), 0);
    EXPECT_EQ(gQuitRequested, 0);
    PlatformEvent e;
    EXPECT_FALSE(platformPollEvent(e));  // everything queued was handled in that one call
}

TEST_F(PumpTest, EscapeQuitsWithinOneCallAfterEarlierEvents) {
    platformPostKeyDown('x');
    platformPostKeyDown(27);
    EXPECT_EQ(pumpMessages(), 1);  // Escape -> close -> quit, all inside one pump
    EXPECT_EQ(gQuitRequested, 1);
}

TEST_F(PumpTest, QuitIsStickyAndLeavesLaterEventsQueued) {
    platformPostQuit();
    platformPostKeyDown('q');
    EXPECT_EQ(pumpMessages(), 1);
    EXPECT_EQ(pumpMessages(), 1);
    PlatformEvent e;
    bool sawKey = false;
    while (platformPollEvent(e)) sawKey |= e.type == PlatformEventType::KeyDown && e.key == 'q';
    EXPECT_TRUE(sawKey);  // the pump did not touch the queue after the quit
}

// The window is resized the way a window manager or a late full-screen switch would do it.
TEST_F(PumpTest, ANewWindowSizeRefitsTheViewport) {
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    ASSERT_NE(window, nullptr);
    platformRestoreDisplayMode();  // a full-screen window keeps its size
    auto resizeAndViewport = [&](int w, int h) {
        SDL_SetWindowSize(window, w, h);
        EXPECT_EQ(pumpMessages(), 0);
        GLint v[4] = {};
        glGetIntegerv(GL_VIEWPORT, v);
        return std::vector<GLint>(v, v + 4);
    };
    EXPECT_EQ(resizeAndViewport(128, 48), (std::vector<GLint>{32, 0, 64, 48}));  // bars left, right
    EXPECT_EQ(resizeAndViewport(64, 96), (std::vector<GLint>{0, 24, 64, 48}));   // above, below
    EXPECT_EQ(resizeAndViewport(64, 48), (std::vector<GLint>{0, 0, 64, 48}));
}

}  // namespace
