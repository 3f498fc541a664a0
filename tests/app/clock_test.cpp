// The show clock: the first update latches the start, scenes restart their own time.
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/clock.h"

TEST(Clock, FirstUpdateStartsAtZeroAndScenesCountFromTheirStart) {
    clockStartTick = -1.0f;
    now = previous = sceneStart = sceneTime = frameDelta = 0.0f;
    updateClock();
    EXPECT_NE(clockStartTick, -1.0f);
    EXPECT_EQ(now, 0.0f);
    EXPECT_EQ(previous, 0.0f);
    EXPECT_EQ(frameDelta, 0.0f);

    usleep(30000);
    updateClock();
    EXPECT_GE(now, 0.025f);
    EXPECT_FLOAT_EQ(frameDelta, now - previous);
    EXPECT_FLOAT_EQ(sceneTime, now);

    float before = now;
    startSceneClock();
    EXPECT_EQ(sceneStart, before);
    EXPECT_EQ(sceneTime, 0.0f);
    usleep(10000);
    updateClock();
    EXPECT_FLOAT_EQ(sceneTime, now - before);
    EXPECT_LT(sceneTime, 1.0f);
}
