// Placeholder closing sequence: the bare frame loop until the music ends or the user quits.
#include "app/closing.h"

#include "app/driver.h"
#include "app/music.h"
#include "app/window.h"
#include "render/renderer.h"

void runClosingSequence() {
    startSceneClock();
    updateClock();
    if (pumpMessages()) return;
    while (musicOrder < 33) {
        updateClock();
        gRenderer->present();
        gRenderer->clear();
        if (pumpMessages()) break;
    }
}
