// The show clock: ticks from the platform turned into show, scene and frame times.
#include "app/clock.h"

#include "platform/platform.h"

std::atomic<float> clockStartTick{-1.0f};
float clockTick = 0.0f;
float now = 0.0f;
float previous = 0.0f;
float sceneStart = 0.0f;
float sceneTime = 0.0f;
float frameDelta = 0.0f;

void updateClock() {
    previous = now;
    clockTick = static_cast<float>(platformTicks());
    if (clockStartTick == -1.0f) {
        previous = 0.0f;
        clockStartTick = clockTick;
    }
    now = (clockTick - clockStartTick.load()) * 0.001f;
    sceneTime = now - sceneStart;
    frameDelta = now - previous;
}

void startSceneClock() {
    sceneStart = now;
    sceneTime = 0.0f;
}

void resetClock() {
    clockStartTick = -1.0f;
    clockTick = now = previous = sceneStart = sceneTime = frameDelta = 0.0f;
}
