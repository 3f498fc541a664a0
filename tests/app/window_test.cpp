// The message pump: Escape ends the show through the close request, and quitting is sticky.
#include <gtest/gtest.h>

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

}  // namespace
