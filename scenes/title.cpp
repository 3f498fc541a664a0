// The Title scene: a golden sunburst, two 3D text objects and six words that appear on the beat.
#include <cmath>

#include "app/assets.h"
#include "assets/dataset.h"
#include "effects/clipper.h"
#include "effects/envmap.h"
#include "scenes/common.h"
#include "scenes/scenes.h"

namespace {

constexpr int kEndOrder = sceneEndOrder(kTitlePart);
constexpr size_t kListBytes = 400000;

// One word of os.png: shown from `row` of `order` on (and in later orders too when `stays`).
struct TitleWord {
    int order, row;
    bool stays;
    float x0, x1;
    TextureCell cell;
};

constexpr float kWordTop = -0.12f;
constexpr float kWordBottom = -0.22117187f;

const TitleWord kWords[6] = {
    {1, 21, true, -0.9025f, -0.6946875f, kTitleWordCells[0]},
    {1, 53, true, -0.67f, -0.36101565f, kTitleWordCells[1]},
    {1, 85, true, -0.3375f, -0.0039062616f, kTitleWordCells[2]},
    {1, 117, true, 0.015f, 0.42242187f, kTitleWordCells[3]},
    {2, 21, false, 0.4475f, 0.6771875f, kTitleWordCells[4]},
    {2, 53, false, 0.7175f, 0.92531246f, kTitleWordCells[5]},
};

DepthList text01List;
DepthList text02List;

bool wordShown(const TitleWord& w, int order, int row) {
    return (order == w.order && row >= w.row) || (w.stays && order > w.order);
}

void drawBackground() {
    gRenderer->bindTexture0(0);
    gRenderer->setBlendMode(GLS_BLEND_OFF);
    static const float xs[4] = {-1.0f, 1.0f, 1.0f, -1.0f};
    static const float ys[4] = {-1.0f, -1.0f, 1.0f, 1.0f};
    MeshVertex corner[4] = {};
    for (int i = 0; i < 4; ++i) {
        corner[i].sx = xs[i];
        corner[i].sy = ys[i];
        corner[i].z = -1.0f;
        corner[i].r = 0.9453125f;
        corner[i].g = 0.7421875f;
        corner[i].b = 0.0390625f;
        corner[i].a = 1.0f;
    }
    gRenderer->drawTriangle(&corner[0], &corner[1], &corner[2]);
    gRenderer->drawTriangle(&corner[0], &corner[2], &corner[3]);
}

void drawTextObjects(Camera& camera, float h) {
    gRenderer->bindTexture0(texLogoenv);
    camera.eye = {float(30.0 * std::sin(h)), float(30.0 * std::sin(3.0 * h)),
                  float(15.0 * std::cos(h) - 250.0)};
    camera.target = {0.0f, 0.0f, 0.0f};
    camera.roll = 180.0f;
    Matrix44 view;
    viewMesh(meshText02, camera, view);
    clearTextureCoords(meshText02);
    text02List.draw(true);

    transformAndProject(meshText01, view, camera);
    vertexNormalsEnvMap(meshText01.vertices.verts, meshText01.faces.faces,
                        meshText01.vertices.count, meshText01.faces.count);
    text01List.draw(true);
}

void drawWords() {
    gRenderer->bindTexture0(texOs);
    gRenderer->setBlendMode(GLS_BLEND_ALPHA);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_OFF);
    const MusicPosition at = musicPosition();
    const int order = at.order, row = at.row;
    MeshVertex quad[4];
    for (const TitleWord& w : kWords)
        if (wordShown(w, order, row))
            drawScreenRect(quad, w.x0, kWordTop, w.x1, kWordBottom, w.cell.u0, w.cell.v0, w.cell.u1,
                           w.cell.v1, 1.0f);
}

}  // namespace

int runTitleScene() {
    text01List.prepare(meshText01, kListBytes);
    text02List.prepare(meshText02, kListBytes);
    reserveEnvMapTables(meshText01.vertices.count);
    Camera camera;
    setupCamera61(camera, 1.0f);
    setProjection(0.0f, 0.0f, 1.0f, 1.0f);
    gRenderer->setBlendMode(GLS_BLEND_ALPHA_COLOR);
    gRenderer->setHint2(50000);

    return runSceneLoop(kEndOrder, [&] {
        const float h = sceneTime * 0.5f;
        scenePhase = h;
        drawBackground();
        drawRayFan(12, 0.26179166666666664, h, 0.9609375f, 0.82421875f, 0.03125f);
        drawTextObjects(camera, h);
        drawWords();
    });
}
