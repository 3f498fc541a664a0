// What the scenes share: the frame loop, the scene phase, depth lists, mesh drawing and overlays.
#pragma once
#include <cstddef>

#include "app/clock.h"
#include "app/music.h"
#include "app/scenetable.h"
#include "app/seek.h"
#include "app/window.h"
#include "effects/depthsort.h"
#include "render/renderer.h"
#include "scene/camera.h"
#include "scene/mesh.h"

// Animation phase of the running scene. Every scene but the Figure scene sets it before reading.
extern float scenePhase;
// Puts scenePhase back to its start value.
void resetScenePhase();

// State the Blob scene integrates from frame to frame; not reset when the scene starts.
extern float spinAngle;  // above 2 pi: no spin in progress
extern float spinBase;   // radians of roll that finished spins left behind
extern float slide;      // sliding picture: -1 off to the right, 0 in place
// Puts the Blob scene's carried state (spinAngle, spinBase, slide) back to its start values.
void resetBlobState();
// Positions of the Wave scene's two picture columns; not reset when the scene starts.
extern float leftColumn;
extern float rightColumn;
// Puts the Wave scene's picture columns back to their start positions.
void resetWaveState();
// Everything else the scenes carry from frame to frame lives in locals set up when a scene
// starts (the Blob scene's zoom, the Logo zoom scene's copies) or follows from the clock, the
// music position and scenePhase.

// The frame loop of every scene: pump (a quit returns its value), stop with 0 once musicOrder has
// reached endOrder, run beforeClock, update the clock, run frame, then present and clear.
template <typename BeforeClock, typename Frame>
int runSceneLoop(int endOrder, BeforeClock&& beforeClock, Frame&& frame) {
    for (;;) {
        if (int quit = pumpMessages()) return quit;
        if (musicOrder.load() >= endOrder) return 0;
        beforeClock();
        updateClock();
        if (!sceneEndsBeforeStart(endOrder)) frame();
        gRenderer->present();
        gRenderer->clear();
    }
}

// The frame loop with nothing to do before the clock update.
template <typename Frame>
int runSceneLoop(int endOrder, Frame&& frame) {
    return runSceneLoop(
        endOrder, [] {}, frame);
}

// Fills camera the way the scenes do for the 61-degree field of view with the given aspect.
void setupCamera61(Camera& camera, float aspect);
// Transforms the mesh's working vertices with view and projects them with camera.
void transformAndProject(Mesh& mesh, const Matrix44& view, const Camera& camera);
// Builds the camera's view matrix into view, then transforms and projects the mesh with it.
void viewMesh(Mesh& mesh, const Camera& camera, Matrix44& view);
// Views the mesh through camera, gives it sphere-map coordinates from its vertex normals and
// draws it two-unit, farthest faces first.
void drawEnvMappedSorted(Mesh& mesh, DepthList& list, const Camera& camera);
// Sets both texture coordinate pairs of every working vertex to 0.
void clearTextureCoords(Mesh& mesh);
// Sets the colour of every working vertex to (c, c, c) and both texture coordinate pairs to 0.
void paintFlat(Mesh& mesh, float c);

// Fills quad with the screen rectangle (x0, y0)-(x1, y1), y0 the top edge, cut to the -1..1
// screen with the texture coordinates cut in proportion, colour (c, c, c) and alpha 1, and draws
// it with drawQuad. A rectangle wholly off one side of the screen draws nothing.
void drawScreenRect(MeshVertex quad[4], float x0, float y0, float x1, float y1, float u0, float v0,
                    float u1, float v1, float c);

// Draws a fan of `rays` triangles (at most 12) at depth -1 around the screen centre: ray vertex
// i = 2 .. 2 rays + 1 lies at angle i angleStep + phase, two units out, with u = v = 0.05 i.
void drawRayFan(int rays, double angleStep, float phase, float r, float g, float b);
// The six-ray fan of the orange scenes (the Wave and Heart scenes) at phase.
void drawSixRayFan(float phase);
