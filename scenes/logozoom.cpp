// The Logo zoom scene: an endless flight along five logo copies, each ten times farther away.
#include <cmath>

#include "app/assets.h"
#include "effects/clipper.h"
#include "scenes/common.h"
#include "scenes/scenes.h"

namespace {

constexpr int kEndOrder = sceneEndOrder(kLogoZoomPart);
constexpr size_t kListBytes = 400000;
constexpr int kCopies = 5;

DepthList logoList;

// The flight. Copy i hangs at baseDistance * 10^(i - 5); the window of drawn copies starts after
// copy floor(copyOffset). The distance is kept in double: a float would underflow to zero after
// about half a minute of flight and collapse every copy onto the eye.
struct Zoom {
    float depthLog = 15.46f;  // natural logarithm of baseDistance
    double baseDistance = std::exp(15.46);
    float copyOffset = 0.0f;  // copies passed so far

    // Every copy approaches by e^-3.06 a second; once the base is near enough, the window slides
    // on by 1.377 copies a second, a little faster than the copies shrink by ten.
    void advance(float delta) {
        depthLog -= 3.06f * delta;
        if (depthLog <= 10.5f) copyOffset += float(1.3769999999999998 * delta);
        baseDistance = std::exp(double(depthLog));
    }
};

void drawCopy(Camera& camera, const Zoom& zoom, int i) {
    camera.eye = {1.0f, 1.0f, float(-(zoom.baseDistance / std::pow(10.0, kCopies - i)))};
    camera.target = {0.0f, 0.0f, 0.0f};
    camera.roll = float(180.0 + 90.0 * std::sin(0.4 * i + 4.0 * scenePhase));
    Matrix44 view;
    viewMesh(meshLogo, camera, view);
    paintFlat(meshLogo, i % 2 ? 1.0f : 0.0f);  // the colour belongs to the copy: odd white
    logoList.draw(true);
}

}  // namespace

int runLogoZoomScene() {
    logoList.prepare(meshLogo, kListBytes);
    Camera camera;
    setupCamera61(camera, 1.2f);
    setProjection(0.0f, 0.0f, 1.0f, 1.0f);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_OFF);
    gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNIT0);
    gRenderer->bindTexture0(0);
    gRenderer->setBlendMode(GLS_BLEND_OFF);
    Zoom zoom;
    gRenderer->setBlendMode(GLS_UNTEXTURED);

    return runSceneLoop(kEndOrder, [&] {
        scenePhase = sceneTime * 0.612f;
        // No depth test: each farther copy paints over the nearer.
        gRenderer->setBlendMode(GLS_UNTEXTURED);
        const int n = int(zoom.copyOffset);
        for (int i = n + 1; i <= n + kCopies; ++i) drawCopy(camera, zoom, i);
        zoom.advance(frameDelta);
    });
}
