// The demo driver: display, assets, music, the scene sequence, the closing sequence, shut-down.
#include "app/driver.h"

#include <cstdio>
#include <string>

#include "app/assets.h"
#include "app/clock.h"
#include "app/closing.h"
#include "app/datafiles.h"
#include "app/devmode.h"
#include "app/devstate.h"
#include "app/music.h"
#include "app/overlay.h"
#include "app/seek.h"
#include "app/timeline.h"
#include "app/window.h"
#include "platform/platform.h"
#include "render/device.h"
#include "render/renderer.h"
#include "render/state_renderer.h"

DeviceFactory* gDeviceFactory = nullptr;
DisplayDevice* gDisplayDevice = nullptr;

namespace {

// The renderer stack, back to front: the backend the display made, the development overlay (in
// development mode), the fast-forward's state-only renderer (while one runs). Its front is
// gRenderer; restackRenderers is the one place that sets it.
Renderer* backend = nullptr;
OverlayRenderer overlayRenderer;
StateOnlyRenderer fastForwardRenderer(skippedFramePresented);

void restackRenderers() {
    Renderer* front = backend;
    if (gDevMode.enabled) {
        overlayRenderer.setTarget(front);
        front = &overlayRenderer;
    }
    if (fastForwarding()) {
        fastForwardRenderer.setTarget(front);
        front = &fastForwardRenderer;
    }
    gRenderer = front;
}

// Writes the display error to "error.txt" in the current directory, one line.
void writeErrorFile(const char* text) {
    FILE* f = std::fopen("error.txt", "w");
    if (!f) return;
    std::fprintf(f, "%s\n", text);
    std::fclose(f);
}

// Ends a show that could not start: display restored, the reason shown.
int failAfterOpen(const std::string& message) {
    gDeviceFactory->shutdown();
    stopShowMusic();
    platformShowMessage("FATAL ERROR", message.c_str());
    return 1;
}

}  // namespace

void stackRenderers(Renderer* madeByDisplay) {
    backend = madeByDisplay;
    onFastForwardChange(restackRenderers);
    restackRenderers();
}

int runDemo(int width, int height, int bitsPerPixel) {
    // Every data file is checked before the display changes, so a broken install says
    // everything that is wrong at once and leaves the desktop alone.
    std::string missing = checkDataFiles();
    if (!missing.empty()) {
        platformShowMessage("FATAL ERROR", missing.c_str());
        return 1;
    }

    gDeviceFactory = new DeviceFactory();
    gDisplayDevice = gDeviceFactory->createDevice(width, height, bitsPerPixel);
    if (!gDisplayDevice) {
        platformShowMessage("FATAL ERROR", "out of memory creating the display device\n");
        return 1;
    }
    if (const char* error = gDisplayDevice->open()) {
        writeErrorFile(error);
        return 1;  // open has restored the display mode and shown the text
    }
    Renderer* made = gDisplayDevice->createRenderer();
    if (!made) return failAfterOpen("out of memory creating the renderer\n");
    stackRenderers(made);

    std::string assetError = loadAssets();
    if (!assetError.empty()) return failAfterOpen(assetError);
    startDevMode();  // development mode only: overlay font, live reload

    // A development-mode seek or loop ends the frame loops with a restart: every module's
    // state goes back to its start and the show runs again, to the new position.
    for (;;) {
        // A start past the beginning plays the frames before it through undrawn.
        const std::string musicError =
            startShowMusic(dataPath(kModuleFile).c_str(), startPosition());
        if (!musicError.empty()) return failAfterOpen(musicError);

        for (int i = 0; i < kSceneCount && !restartPending(); ++i) {
            startSceneClock();
            updateClock();
            if (kSceneSequence[i]() == kSceneFailed) return failAfterOpen(sceneFailure);
        }
        if (!restartPending()) runClosingSequence();
        endFastForward();
        if (!seekFailure().empty()) return failAfterOpen(seekFailure());
        if (gQuitRequested || !takeRestart()) break;
        stopShowMusic();
        resetShowState();
    }

    gDeviceFactory->shutdown();
    stopShowMusic();
    return 0;
}
