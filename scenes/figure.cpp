// The Figure scene: a box, a black figure and white glasses, filmed along a path per pattern.
#include <cmath>

#include "app/assets.h"
#include "assets/dataset.h"
#include "effects/clipper.h"
#include "scenes/common.h"
#include "scenes/scenes.h"

namespace {

constexpr int kEndOrder = sceneEndOrder(kFigurePart);
constexpr size_t kListBytes = 80000;

DepthList boxList;
DepthList dudeList;
DepthList glassesList;

// The orbit of orders 18 and 19; order 19 shifts it by `shift` radians to jolt the camera.
Vector3 orbitEye(double t, double shift) {
    return {float(50.0 * std::cos(t + 1.1 + shift) - 100.0 * std::sin(1.5 * t + shift)),
            float(130.0 * std::cos(t + shift) + 40.0),
            float(150.0 * std::cos(1.5 * t + shift) - 200.0)};
}

Vector3 order22Eye(double t) {
    return {float(-130.0 * std::cos(5.0 * t) - 60.0), float(100.0 * std::sin(5.0 * t + 2.4) + 60.0),
            float(120.0 * std::sin(t + 2.7) - 190.0)};
}

// Where the camera stands at local time t for the music position; the first matching rule wins.
Vector3 figureEye(float localTime, int order, int row) {
    const double t = localTime;
    if (order <= 18) return orbitEye(t, 0.0);
    if (order == 19) return orbitEye(t, row < 112 ? -0.2 : row < 120 ? 0.1 : 0.3);
    if (order == 20)
        return {float(200.0 - 120.0 * std::cos(t) * std::sin(5.5 * t + 1.0)),
                float(100.0 * std::sin(3.0 * t) + 30.0), float(-120.0 * std::sin(4.0 * t) - 170.0)};
    if (order == 21)
        return {float(130.0 * std::cos(3.0 * t) - 60.0),
                float(100.0 * std::sin(3.0 * t + 1.6 + 1.4) + 60.0),
                float(120.0 * std::sin(2.4 * t + 0.7) - 160.0)};
    if (order == 22) return order22Eye(t);
    return order22Eye(t + 0.4);  // the order moved on during this frame
}

// The caption flashes in the last seven rows of every sixteen.
bool captionRow(int row) {
    return row >= 0 && row < 128 && row % 16 >= 9;
}

void drawSet(Camera& camera, float t, int order, int row) {
    gRenderer->bindTexture0(texCircles);
    gRenderer->setBlendMode(GLS_BLEND_OFF);
    camera.eye = figureEye(t, order, row);
    camera.target = {1.0f, 0.0f, 51.0f};
    camera.roll = 180.0f;
    Matrix44 view;
    viewMesh(meshBox, camera, view);
    boxList.draw(false);

    transformAndProject(meshDude, view, camera);
    paintFlat(meshDude, 0.0f);
    dudeList.draw(false);

    gRenderer->bindTexture0(0);
    transformAndProject(meshGlasses, view, camera);
    paintFlat(meshGlasses, 1.0f);
    glassesList.draw(false);
}

void drawCaption(int row) {
    gRenderer->setBlendMode(GLS_BLEND_ALPHA);
    gRenderer->bindTexture0(texTxt);
    if (!captionRow(row)) return;
    MeshVertex quad[4];  // wholly on screen, so the rectangle is drawn as given
    drawScreenRect(quad, -0.9728516f, 0.97324216f, -0.62714845f, 0.8267578f, kCaptionCells[1].u0,
                   kCaptionCells[1].v0, kCaptionCells[1].u1, kCaptionCells[1].v1, 1.0f);
}

}  // namespace

int runFigureScene() {
    boxList.prepare(meshBox, kListBytes);
    dudeList.prepare(meshDude, kListBytes);
    glassesList.prepare(meshGlasses, kListBytes);
    Camera camera;
    setupSceneCamera(camera, 91.0f, 1.2f, kHalfAngle91);
    setProjection(0.0f, 0.0f, 1.0f, 1.0f);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_ON);  // the depth test alone orders the three objects
    gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNIT0);
    gRenderer->bindTexture0(0);
    gRenderer->bindTexture1(0);

    const int result = runSceneLoop(kEndOrder, [&] {
        const MusicPosition at = musicPosition();
        const int order = at.order, row = at.row;
        drawSet(camera, sceneTime * 0.625f, order, row);
        drawCaption(row);
    });
    gRenderer->setBlendMode(GLS_UNTEXTURED);
    return result;
}
