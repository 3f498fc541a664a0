// The Wave scene: a writhing striped tube before orange rays, picture columns and beat flashes.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "app/assets.h"
#include "effects/clipper.h"
#include "effects/envmap.h"
#include "effects/screenfill.h"
#include "scenes/common.h"
#include "scenes/scenes.h"

namespace {

constexpr int kEndOrder = sceneEndOrder(kWavePart);
constexpr int kTubeRows = 30;      // rings along the tube's axis, per segment
constexpr int kTubeSegments = 40;  // around it

DepthList tubeList;
std::vector<float> radiusFactors;  // one per tube vertex, sized at set-up

// On-rows carry the beat: the first 24 of every 32 rows, up to row 119.
bool isOnRow(int row) {
    return row >= 0 && row < 120 && row % 32 < 24;
}

struct FlashWindow {
    int firstRow;  // 16 rows of the plain picture, then 8 of the b picture
    float x0, y0, x1, y1;
};
const FlashWindow kFlashes[4] = {
    {0, -0.9f, -0.5f, -0.4f, -1.0f},
    {32, 0.5f, 0.6f, 1.0f, 0.10000002f},
    {64, -0.3f, -0.3f, 0.19999999f, -0.8f},
    {96, -0.6f, 0.8f, -0.10000002f, 0.3f},
};

void drawBackground(float p) {
    gRenderer->setBlendMode(GLS_UNTEXTURED);
    gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNIT0);
    fillScreen(0.9453125f, 0.7109375f, 0.02734375f);
    drawSixRayFan(p);
}

// The stripes crawl by a step per frame: the one thing the tube carries from frame to frame.
void crawlStripes() {
    for (int i = 0; i < meshTube.vertices.count; ++i) meshTube.vertices.verts[i].u0 += 0.001f;
}

// Swells and bends the tube for phase p.
void deformTube(float p) {
    float f[kTubeRows];
    for (int j = 0; j < kTubeRows; ++j)
        f[j] = float(0.4 * std::sin(double(12.0f * p + 0.2f * j)) +
                     0.3 * std::cos(double(18.0f * p + 0.3f * j)) + 1.1);
    const int count = meshTube.vertices.count;
    for (int i = 0; i < count; ++i) radiusFactors[i] = f[i % kTubeRows];
    meshTube.scaleXZ(radiusFactors.data());
    for (int i = 0; i < count; ++i) {
        const int j = i % kTubeRows;
        const double g = float(0.2 * j), fj = 0.3 * j;
        Vector3& pos = meshTube.vertices.positions[i];
        pos.x += float(2.0 * std::sin(5.0 * p + g) + 3.0 * std::sin(fj + p));
        pos.z += float(3.0 * std::sin(4.0 * p + fj) + 2.0 * std::sin(3.0 * p + g));
    }
}

void drawTube(Camera& camera, float p) {
    gRenderer->bindTexture0(texStripe);
    gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNITS01);
    gRenderer->setBlendMode(GLS_UNIT0_BLEND_ALPHA_COLOR);
    crawlStripes();
    deformTube(p);
    camera.eye = {float(45.0 * std::sin(p)), float(std::sin(3.0 * p)), float(45.0 * std::cos(p))};
    camera.target = {0.0f, 0.0f, 0.0f};
    camera.roll = 0.0f;
    Matrix44 view;
    viewMesh(meshTube, camera, view);
    // The grid pass reads whole rings; a tube of another shape keeps its last coordinates.
    if (meshTube.vertices.count == kTubeRows * kTubeSegments)
        gridEnvMap(meshTube.vertices.verts, kTubeRows, kTubeSegments);
    tubeList.sortByDepth(meshTube);
    tubeList.draw(true);
}

void beginPictures() {
    gRenderer->setBlendMode(GLS_UNTEXTURED);
    gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNIT0);
    gRenderer->setBlendMode(GLS_BLEND_ALPHA);
}

// Three pictures entering from the left in order 11 and leaving to the left from order 12.
void drawLeftColumn(int row) {
    beginPictures();
    MeshVertex quad[4];
    for (int k = 0; k < 3; ++k) {
        gRenderer->bindTexture0(isOnRow(row) ? texPictureB[k] : texPicture[k]);
        const float x0 = std::min(leftColumn - 0.3f * k, -0.8f);
        const float y0 = 0.9f - 0.65f * k;
        drawScreenRect(quad, x0, y0, x0 + 0.5f, y0 - 0.5f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f);
    }
}

// The left column comes in through order 11 and leaves from order 12.
void moveLeftColumn(int order) {
    if (order == 11)
        leftColumn = std::min(leftColumn + 0.3f * frameDelta, 0.1f);
    else
        leftColumn -= 0.3f * frameDelta;
}

// Three pictures entering from the right late in order 11 and leaving midway through order 12.
void drawRightColumn(int row) {
    beginPictures();
    MeshVertex quad[4];
    for (int k = 0; k < 3; ++k) {
        gRenderer->bindTexture0(isOnRow(row) ? texPicture[k + 1] : texPictureB[k + 1]);
        const float x0 = std::max(rightColumn + 0.3f * (2 - k), 0.4f);
        const float y0 = 0.9f - 0.65f * k;
        drawScreenRect(quad, x0, y0, x0 + 0.5f, y0 - 0.5f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f);
    }
}

// The right column comes in late in order 11 and leaves midway through order 12.
void moveRightColumn(int order, int row) {
    if (order == 11 || (order == 12 && row < 64))
        rightColumn = std::max(rightColumn - 0.3f * frameDelta, -0.5f);
    else
        rightColumn += 0.3f * frameDelta;
}

void drawFlash(int row) {
    gRenderer->setBlendMode(GLS_BLEND_COLOR_ALPHA);
    gRenderer->bindTexture0(texTxt);
    for (int w = 0; w < 4; ++w) {
        const FlashWindow& f = kFlashes[w];
        if (row < f.firstRow || row >= f.firstRow + 24) continue;
        gRenderer->bindTexture0(row < f.firstRow + 16 ? texPicture[w] : texPictureB[w]);
        MeshVertex quad[4];
        drawScreenRect(quad, f.x0, f.y0, f.x1, f.y1, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f);
    }
}

}  // namespace

int runWaveScene() {
    tubeList.prepare(meshTube, 80000);
    try {
        radiusFactors.resize(meshTube.vertices.count);
    } catch (const std::bad_alloc&) {
        sceneFailure =
            "out of memory setting up the Wave scene: no room for the tube's radius "
            "factors\n";
        return kSceneFailed;
    }
    Camera camera;
    setupCamera61(camera, 1.0f);
    setProjection(0.0f, 0.0f, 1.0f, 1.0f);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_OFF);
    gRenderer->bindTexture0(texStripe);
    gRenderer->bindTexture1(texEnvmap1);

    float p = 0.0f;
    const int result = runSceneLoop(
        kEndOrder,
        [&] {
            // Taken before the clock moves, so the phase trails the clock by one frame.
            p = 0.1f * sceneTime;
            scenePhase = p;
        },
        [&] {
            const MusicPosition at = musicPosition();
            const int order = at.order, row = at.row;
            const bool left = order >= 11, right = (order == 11 && row > 64) || order >= 12;
            // A frame played through on the way to a start position only crawls the stripes
            // and moves the columns: the rest of the picture is made afresh every frame.
            if (fastForwarding()) {
                crawlStripes();
                if (left) moveLeftColumn(order);
                if (right) moveRightColumn(order, row);
                return;
            }
            drawBackground(p);
            drawTube(camera, p);
            if (left) {
                drawLeftColumn(row);
                moveLeftColumn(order);
            }
            if (right) {
                drawRightColumn(row);
                moveRightColumn(order, row);
            }
            if (order == 13 || order == 14) drawFlash(row);
        });
    gRenderer->setState(GLS_TEXTURE_UNITS, GLS_UNIT0);
    return result;
}
