// Benchmarks of the per-frame mesh path: transform, projection, clipping, sorting, environment map.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "effects/clipper.h"
#include "effects/depthsort.h"
#include "effects/envmap.h"
#include "scene/mesh.h"
#include "support/recording_renderer.h"

namespace {

// The tube the show builds: 1200 vertices, 2320 faces, radius 10 around the y axis.
const Mesh& tube() {
    static Mesh mesh;
    if (mesh.vertices.count == 0) mesh.makeTube(80.0f, 20.0f, 30, 40);
    return mesh;
}

// A sphere of radius 30 with 40 rings of 50 vertices (2000 vertices, 3900 faces), made by
// moving a tube's vertices onto it so that faces and indices come ready.
const Mesh& sphere() {
    static Mesh mesh;
    if (mesh.vertices.count == 0) {
        const int rings = 40, segments = 50;
        mesh.makeTube(1.0f, 1.0f, rings, segments);
        for (int s = 0; s < segments; ++s)
            for (int r = 0; r < rings; ++r) {
                const double theta = (r + 0.5) * M_PI / rings, phi = s * 2 * M_PI / segments;
                const Vector3 p = {float(30 * std::sin(theta) * std::sin(phi)),
                                   float(30 * std::cos(theta)),
                                   float(30 * std::sin(theta) * std::cos(phi))};
                mesh.vertices.positions[s * rings + r] =
                    mesh.restVertices.positions[s * rings + r] = p;
            }
    }
    return mesh;
}

Camera sceneCamera(bool inside) {
    Camera camera;
    setupSceneCamera(camera, 61.0f, 1.0f, kHalfAngle61);
    camera.eye = inside ? Vector3{1.0f, 2.0f, 0.5f} : Vector3{45.0f, 10.0f, -120.0f};
    camera.target = inside ? Vector3{3.0f, 20.0f, 40.0f} : Vector3{0.0f, 0.0f, 0.0f};
    camera.roll = 180.0f;
    return camera;
}

const Mesh& pick(int which) {
    return which == 0 ? tube() : sphere();
}

void perVertex(benchmark::State& state, int count) {
    state.counters["per_vertex"] = benchmark::Counter(
        count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void perFace(benchmark::State& state, int count) {
    state.counters["per_face"] = benchmark::Counter(
        count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Arguments: mesh (0 tube, 1 sphere), camera (0 outside, 1 inside).
void BM_TransformProject(benchmark::State& state) {
    VertexArray vertices = pick(int(state.range(0))).vertices;  // shares the mesh's arrays
    const Camera camera = sceneCamera(state.range(1) != 0);
    Matrix44 view;
    for (auto _ : state) {
        buildViewMatrix(view, camera);
        vertices.transformVertices(view);
        vertices.projectVertices(camera);
        benchmark::DoNotOptimize(vertices.verts[vertices.count - 1]);
    }
    perVertex(state, vertices.count);
}
BENCHMARK(BM_TransformProject)->ArgsProduct({{0, 1}, {0, 1}});

// The whole per-frame path of one mesh: view matrix, transform, project, face loop.
void BM_MeshFrame(benchmark::State& state) {
    const Mesh& mesh = pick(int(state.range(0)));
    VertexArray vertices = mesh.vertices;
    const Camera camera = sceneCamera(state.range(1) != 0);
    std::vector<DepthEntry> list(size_t(mesh.faces.count));
    fillDepthList(list.data(), mesh);
    NullRenderer renderer;
    gRenderer = &renderer;
    setProjection(0, 0, 1, 1);
    Matrix44 view;
    for (auto _ : state) {
        buildViewMatrix(view, camera);
        vertices.transformVertices(view);
        vertices.projectVertices(camera);
        drawFaces(list.data(), mesh.faces.count, true);
    }
    perFace(state, mesh.faces.count);
    perVertex(state, vertices.count);
}
BENCHMARK(BM_MeshFrame)->ArgsProduct({{0, 1}, {0, 1}});

// A sorting scene's list work each frame: refill in file order, depths, sort (tube, 2320 faces).
void BM_SortDepthList(benchmark::State& state) {
    const Mesh& mesh = tube();
    VertexArray vertices = mesh.vertices;
    const Camera camera = sceneCamera(false);
    Matrix44 view;
    buildViewMatrix(view, camera);
    vertices.transformVertices(view);
    std::vector<DepthEntry> list(size_t(mesh.faces.count));
    for (auto _ : state) {
        fillDepthList(list.data(), mesh);
        setFaceDepths(list.data(), mesh.faces.count);
        depthSortList = list.data();
        sortDepthList(0, mesh.faces.count - 1);
        benchmark::DoNotOptimize(list[0]);
    }
    perFace(state, mesh.faces.count);
}
BENCHMARK(BM_SortDepthList);

void BM_VertexNormalsEnvMap(benchmark::State& state) {
    const Mesh& mesh = sphere();
    VertexArray vertices = mesh.vertices;
    Matrix44 view;
    buildViewMatrix(view, sceneCamera(false));
    vertices.transformVertices(view);
    for (auto _ : state) {
        vertexNormalsEnvMap(vertices.verts, mesh.faces.faces, vertices.count, mesh.faces.count);
        benchmark::DoNotOptimize(vertices.verts[0]);
    }
    perVertex(state, vertices.count);
    perFace(state, mesh.faces.count);
}
BENCHMARK(BM_VertexNormalsEnvMap);

}  // namespace
