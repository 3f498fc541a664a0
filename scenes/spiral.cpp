// The Spiral scene: a white spiral turning before an orange screen, with captions on the beat.
#include "app/assets.h"
#include "assets/dataset.h"
#include "effects/clipper.h"
#include "effects/screenfill.h"
#include "scenes/common.h"
#include "scenes/scenes.h"

namespace {

constexpr int kEndOrder = sceneEndOrder(kSpiralPart);
constexpr size_t kListBytes = 80000;

// One caption of txt.png, shown from `row` of every order on; on screen 1.5 times its texture size.
struct Caption {
    int row;
    float x0, y0, x1, y1;
    TextureCell cell;
};

const Caption kCaptions[5] = {
    {0, -0.4248046875f, 0.33183593f, 0.4248046875f, 0.068164065f, kCaptionCells[0]},
    {17, -0.7822265625f, -0.12675782f, -0.4365234375f, -0.27324218f, kCaptionCells[1]},
    {25, -0.3525390625f, -0.12675782f, -0.0537109375f, -0.27324218f, kCaptionCells[2]},
    {33, -0.005078122f, -0.12675782f, 0.3113281f, -0.27324218f, kCaptionCells[3]},
    {37, 0.39316404f, -0.12675782f, 0.7505859f, -0.27324218f, kCaptionCells[4]},
};

DepthList spiralList;

// The turn of this frame. From row 32 a term that grows with the row is added once per frame, so
// the spiral speeds up through the second half of every pattern.
float phaseStep(int row) {
    if (row < 32) return frameDelta;
    return float(frameDelta + (row - 32) * 0.045454545454545456 * 0.5);
}

void drawSpiral(Camera& camera) {
    camera.eye = {0.0f, 0.0f, 100.0f};
    camera.target = {1.0f, 0.0f, 1.0f};
    camera.roll = 20.0f * scenePhase;
    Matrix44 view;
    viewMesh(meshSpiral, camera, view);
    paintFlat(meshSpiral, 1.0f);  // texturing is off: plain white
    spiralList.draw(true);
}

void drawCaptions(int row) {
    gRenderer->setBlendMode(GLS_BLEND_ALPHA);
    gRenderer->bindTexture0(texTxt);
    MeshVertex quad[4];
    for (const Caption& c : kCaptions)
        if (row >= c.row)
            drawScreenRect(quad, c.x0, c.y0, c.x1, c.y1, c.cell.u0, c.cell.v0, c.cell.u1, c.cell.v1,
                           1.0f);
}

}  // namespace

int runSpiralScene() {
    spiralList.prepare(meshSpiral, kListBytes);
    Camera camera;
    setupCamera61(camera, 1.2f);
    setProjection(0.0f, 0.0f, 1.0f, 1.0f);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_OFF);
    gRenderer->bindTexture1(0);
    scenePhase = 0.0f;

    return runSceneLoop(kEndOrder, [&] {
        const int row = musicRow.load();
        scenePhase += 3.0f * phaseStep(row);
        gRenderer->bindTexture0(0);
        gRenderer->setBlendMode(GLS_UNTEXTURED);
        fillScreen(0.9453125f, 0.703125f, 0.02734375f);
        drawSpiral(camera);
        drawCaptions(row);
    });
}
