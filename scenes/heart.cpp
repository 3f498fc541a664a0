// The Heart scene: a shiny heart circling before orange rays, under the greetings panel.
#include <cmath>

#include "app/assets.h"
#include "effects/clipper.h"
#include "effects/envmap.h"
#include "effects/screenfill.h"
#include "scenes/common.h"
#include "scenes/scenes.h"

namespace {

constexpr int kEndOrder = sceneEndOrder(kHeartPart);
constexpr size_t kListBytes = 400000;

DepthList heartList;

void drawHeart(Camera& camera, float p) {
    gRenderer->bindTexture0(texLogoenv);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_ON);
    gRenderer->setBlendMode(GLS_BLEND_OFF);
    camera.eye = {float(120.0 * std::sin(p + 0.42)), float(10.0 * std::cos(p + 0.21)),
                  float(120.0 * std::cos(p + 0.42))};
    camera.target = {1.0f, 0.0f, 1.0f};
    camera.roll = 180.0f;
    drawEnvMappedSorted(meshHeart, heartList, camera);
}

// The panel lies over everything, slightly dimmed, with the depth test off while it is drawn.
void drawPanel() {
    gRenderer->setState(GLS_DEPTH_TEST, GLS_OFF);
    gRenderer->setBlendMode(GLS_BLEND_ALPHA);
    gRenderer->bindTexture0(texGreets);
    MeshVertex quad[4];
    drawScreenRect(quad, -0.8f, 0.8f, 0.8f, -0.8f, 0.0f, 0.0f, 1.0f, 1.0f, 0.95f);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_ON);
}

}  // namespace

int runHeartScene() {
    heartList.prepare(meshHeart, kListBytes);
    reserveEnvMapTables(meshHeart.vertices.count);
    Camera camera;
    setupCamera61(camera, 1.2f);
    setProjection(0.0f, 0.0f, 1.0f, 1.0f);
    gRenderer->bindTexture0(texLogoenv);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_ON);

    return runSceneLoop(kEndOrder, [&] {
        const float p = float(sceneTime * 0.5 * 1.7);
        scenePhase = p;
        gRenderer->setBlendMode(GLS_UNTEXTURED);
        gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNIT0);
        fillScreen(0.9453125f, 0.7109375f, 0.02734375f);
        drawSixRayFan(p);
        drawHeart(camera, p);
        drawPanel();
    });
}
