// The Blob scene: a rippling ball in a striped cone, thrown at on beats, rolled on spins.
#include <cmath>
#include <new>
#include <vector>

#include "app/assets.h"
#include "effects/clipper.h"
#include "effects/envmap.h"
#include "scenes/common.h"
#include "scenes/scenes.h"

namespace {

constexpr int kEndOrder = sceneEndOrder(kBlobPart);
constexpr float kTwoPi = 6.2831855f;
constexpr double kSpinToDegrees = 28.64788895934102;  // 2 pi of spin rolls the view 180 degrees
constexpr float kRestZoom = 450.0f;

DepthList ballList;
DepthList coneList;
std::vector<float> rippleFactors;  // one per ball vertex, sized at set-up

bool isBeatRow(int order, int row) {
    return (order == 4 && (row == 0 || row == 64)) || (order == 5 && (row == 32 || row == 80)) ||
           (order == 7 && (row == 0 || row == 64));
}

bool isSpinRow(int order, int row) {
    if (order == 4) return row == 80;
    if (order == 5) return row == 0 || row == 64;
    if (order == 6 || order == 7) return row == 8 || row == 40 || row == 72 || row == 104;
    return false;
}

void drawCone(Camera& camera, float p) {
    gRenderer->bindTexture0(texStriber3);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_OFF);
    gRenderer->setBlendMode(GLS_BLEND_OFF);
    camera.eye = {float(45.0 * std::sin(p) + 1.0), float(45.0 * std::sin(3.0 * p) + 1.0),
                  float(5.0 * std::cos(p) + 32.0)};
    camera.target = {1.0f, 1.0f, 100.0f};
    camera.roll = 180.0f;
    Matrix44 view;
    viewMesh(meshCone, camera, view);
    coneList.draw(false);
}

void ripple(float p) {
    const Vector3* rest = meshBall.restVertices.positions;
    for (int i = 0; i < meshBall.vertices.count; ++i) {
        const double sum = std::cos(17.0f * p + rest[i].y * 0.037037037037037035) +
                           std::sin(16.0f * p + rest[i].x * 0.038461538461538464) +
                           std::cos(15.0f * p + rest[i].z * 0.04);
        rippleFactors[i] = float(1.0 + 0.2 * sum);
    }
    meshBall.scaleRadial(rippleFactors.data());
}

// Eases zoom back to rest at 350 units a second; a beat row throws the camera in.
void updateZoom(float& zoom, int order, int row) {
    if (zoom > kRestZoom) {
        zoom -= 350.0f * frameDelta;
        if (zoom < kRestZoom) zoom = kRestZoom;
    } else if (zoom < kRestZoom) {
        zoom += 350.0f * frameDelta;
        if (zoom > kRestZoom) zoom = kRestZoom;
    }
    if (isBeatRow(order, row)) zoom = 200.0f;
}

// Advances the half-turn spin and returns the roll in degrees.
float updateSpin(int order, int row) {
    if (isSpinRow(order, row)) spinAngle = (now - syncTime.load()) * 7.0f;
    if (spinAngle == kTwoPi) {  // the previous frame finished a spin: hand it to the base
        spinBase += kTwoPi;
        spinAngle = 100.0f;
    }
    if (spinAngle > kTwoPi) return float(spinBase * kSpinToDegrees);
    spinAngle += 7.0f * frameDelta;
    if (spinAngle >= kTwoPi) spinAngle = kTwoPi;
    return float((spinBase + spinAngle) * kSpinToDegrees);
}

void drawBall(Camera& camera, float p, float roll, float zoom) {
    camera.eye = {float(45.0 * std::sin(p)), float(45.0 * std::sin(3.0 * p) + zoom),
                  float(45.0 * std::cos(p))};
    camera.target = {0.0f, 0.0f, 0.0f};
    camera.roll = roll;
    drawEnvMappedSorted(meshBall, ballList, camera);
}

// The picture slides in from the right in orders 6 and 7 and out again late in order 7.
void updateSlide(int order, int row) {
    if (order == 7 && row > 104) {
        if (slide > -1.0f) slide -= frameDelta;
    } else if (slide < 0.0f) {
        slide += frameDelta;
        if (slide > 0.0f) slide = 0.0f;
    }
}

void drawSlidingPicture() {
    gRenderer->setState(GLS_DEPTH_TEST, GLS_OFF);
    gRenderer->setBlendMode(GLS_BLEND_ALPHA);
    gRenderer->bindTexture0(texVexpush);
    MeshVertex quad[4];
    drawScreenRect(quad, -0.8f - 2.0f * slide, 0.8f, 0.8f - 2.0f * slide, -0.8f, 0.0f, 0.0f, 1.0f,
                   1.0f, 1.0f);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_ON);
}

}  // namespace

int runBlobScene() {
    ballList.prepare(meshBall, 400000);
    coneList.prepare(meshCone, 160000);
    reserveEnvMapTables(meshBall.vertices.count);
    try {
        rippleFactors.resize(meshBall.vertices.count);
    } catch (const std::bad_alloc&) {
        sceneFailure =
            "out of memory setting up the Blob scene: no room for the ball's ripple "
            "factors\n";
        return kSceneFailed;
    }
    Camera camera;
    setupCamera61(camera, 1.0f);
    setProjection(0.0f, 0.0f, 1.0f, 1.0f);
    gRenderer->setState(GLS_DEPTH_TEST, GLS_ON);
    gRenderer->bindTexture0(texFisse);
    float zoom = kRestZoom;

    return runSceneLoop(kEndOrder, [&] {
        const MusicPosition at = musicPosition();
        const int order = at.order, row = at.row;
        const float p = sceneTime * 0.2f;
        scenePhase = p;
        updateZoom(zoom, order, row);
        const float roll = updateSpin(order, row);
        if (order > 5) updateSlide(order, row);
        // A frame played through on the way to a start position keeps only what later frames
        // carry: the cone and the rippled ball are made afresh every frame.
        if (fastForwarding()) return;

        drawCone(camera, p);
        gRenderer->setState(GLS_DEPTH_TEST, GLS_ON);
        gRenderer->bindTexture0(texFisse);
        gRenderer->setBlendMode(GLS_BLEND_ALPHA_COLOR);
        ripple(p);
        drawBall(camera, p, roll, zoom);
        if (order > 5) drawSlidingPicture();
    });
}
