// The closing sequence: tentacles over gold, the logo sliding in, and the fade in the last pattern.
#include "app/closing.h"

#include "app/assets.h"
#include "app/clock.h"
#include "app/music.h"
#include "app/scenetable.h"
#include "app/seek.h"
#include "app/window.h"
#include "effects/clipper.h"
#include "effects/screenfill.h"
#include "render/renderer.h"
#include "scene/worldclip.h"

// Logo offset: falls from 0.5 towards 0 while the logo overlay is on, never rises.
float logoSlide = 0.5f;

void resetClosingState() {
    logoSlide = 0.5f;
}

namespace {

constexpr int kFinalOrder = sceneEndOrder(kClosingPart);

// The logo: 1.6 square, drawn only while it fits on the screen whole.
void slideLogo() {
    if (logoSlide > 0.0f) {
        logoSlide -= frameDelta * 0.1f;
        if (logoSlide < 0.0f) logoSlide = 0.0f;
    }
}

void drawLogo() {
    slideLogo();
    gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNIT0);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_OFF);
    gRenderer->setBlendMode(GLS_BLEND_ALPHA);
    gRenderer->bindTexture0(texVexpush);
    const float top = 2.0f * logoSlide + 0.8f;
    const float bottom = 2.0f * logoSlide - 0.8f;
    if (top <= 1.0f && bottom >= -1.0f) {
        const float xs[4] = {-0.8f, 0.8f, 0.8f, -0.8f};
        const float ys[4] = {top, top, bottom, bottom};
        const float us[4] = {0.0f, 1.0f, 1.0f, 0.0f};
        const float vs[4] = {0.0f, 0.0f, 1.0f, 1.0f};
        MeshVertex quad[4] = {};
        for (int i = 0; i < 4; ++i) {
            MeshVertex& v = quad[i];
            v.sx = xs[i];
            v.sy = ys[i];
            v.u0 = v.u1 = us[i];
            v.v0 = v.v1 = vs[i];
            v.r = v.g = v.b = v.a = 1.0f;
        }
        gRenderer->drawQuad(&quad[0], &quad[1], &quad[2], &quad[3]);
    }
    gRenderer->setState(GLS_DEPTH_TEST, GLS_ON);
}

void drawClosingFrame() {
    const MusicPosition at = musicPosition();
    if (at.order == 32) setClosingFade((128 - at.row) * 0.0078125f);
    gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNITS01);
    gRenderer->setBlendMode(GLS_UNTEXTURED);
    fillScreen(closingFade * 0.9453125f, closingFade * 0.7109375f, closingFade * 0.02734375f);

    gRenderer->setState(GLS_DEPTH_TEST, GLS_ON);
    gRenderer->setBlendMode(GLS_UNIT0_BLEND_ALPHA_COLOR);
    gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNITS01);
    gRenderer->bindTexture1(texTentacleEnv);
    gRenderer->bindTexture0(texPlettet);
    // A frame played through on the way to a start position only moves the tentacles on: the
    // tubes around them are made afresh for every frame drawn.
    if (fastForwarding())
        tentacleField.advance(sceneTime * 0.03f);
    else
        tentacleField.render(0, sceneTime * 0.03f);

    if ((at.order == 31 && at.row < 64) || at.order > 31) drawLogo();
}

}  // namespace

void runClosingSequence() {
    setProjection(0.0f, 0.0f, 1.0f, 1.0f);
    startSceneClock();
    updateClock();
    if (pumpMessages()) return;
    while (musicOrder.load() < kFinalOrder) {
        updateClock();
        if (!sceneEndsBeforeStart(kFinalOrder)) drawClosingFrame();
        gRenderer->present();
        gRenderer->clear();
        if (pumpMessages()) break;
    }
}
