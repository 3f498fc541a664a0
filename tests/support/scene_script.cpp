// Scripted scene runs for tests: virtual clock, music position, test assets and allocation counts.
#include "support/scene_script.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <new>
#include <utility>

#include "app/assets.h"
#include "app/clock.h"
#include "app/datafiles.h"
#include "app/music.h"
#include "app/window.h"
#include "assets/dataset.h"
#include "platform/platform.h"
#include "scene/worldclip.h"
#include "support/gl_harness.h"
#include "scenes/common.h"

namespace {
std::atomic<uint64_t> allocationCount{0};
std::atomic<bool> allocationsFail{false};
std::atomic<int64_t> allocationsBeforeOneFailure{-1};
}  // namespace

// Counting replacements of every form of the global allocation functions. All of them go through
// the C allocator, so memory that a library hands back to free() (as the software GL driver does)
// stays matched, and no form escapes the count when a sanitizer brings its own operators.
namespace {
void* countedAlloc(std::size_t size, std::size_t align) {
    if (allocationsFail.load(std::memory_order_relaxed)) return nullptr;
    if (allocationsBeforeOneFailure.load(std::memory_order_relaxed) >= 0 &&
        allocationsBeforeOneFailure.fetch_sub(1, std::memory_order_relaxed) == 0)
        return nullptr;
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (size == 0) size = 1;
    if (align <= alignof(std::max_align_t)) return std::malloc(size);
    return std::aligned_alloc(align, (size + align - 1) / align * align);
}
void* countedAllocOrThrow(std::size_t size, std::size_t align) {
    if (void* p = countedAlloc(size, align)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t n) {
    return countedAllocOrThrow(n, 0);
}
void* operator new[](std::size_t n) {
    return countedAllocOrThrow(n, 0);
}
void* operator new(std::size_t n, std::align_val_t a) {
    return countedAllocOrThrow(n, size_t(a));
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return countedAllocOrThrow(n, size_t(a));
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return countedAlloc(n, 0);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return countedAlloc(n, 0);
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return countedAlloc(n, size_t(a));
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return countedAlloc(n, size_t(a));
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}

void failHeapAllocations(bool on) {
    allocationsFail = on;
}

void failOneHeapAllocation(int after) {
    allocationsBeforeOneFailure = after;
}

TestDisplayRenderer::TestDisplayRenderer() {
    Renderer* opened = currentTestRenderer();
    setTarget(opened ? opened : &own_);
}

uint64_t heapAllocations() {
    return allocationCount.load();
}

SceneScript::SceneScript(bool record) : SceneScript(record ? Output::Record : Output::Silent) {}

SceneScript::SceneScript(Output output) : previous_(gRenderer), output_(output) {
    gRenderer = output == Output::Record   ? static_cast<Renderer*>(&recorder)
                : output == Output::Silent ? static_cast<Renderer*>(&silent)
                                           : static_cast<Renderer*>(&drawing);
    auto before = [this](int frame) {
        if (beforeFrameShown) beforeFrameShown(frame);
    };
    auto after = [this](int frame) { afterPresent(frame); };
    recorder.beforePresent = silent.beforePresent = drawing.beforePresent = before;
    recorder.onPresent = silent.onPresent = drawing.onPresent = after;
    platformUseVirtualTicks(true);
    platformSetVirtualTicks(0);
    gQuitRequested = 0;
    resetShowState();
}

SceneScript::~SceneScript() {
    gRenderer = previous_;
    gQuitRequested = 0;
    platformUseVirtualTicks(false);
}

void SceneScript::setMusic(int order, int row) {
    setMusicPosition(order, row);
    syncTime = clockStartTick == -1.0f ? 0.0f : (float(platformTicks()) - clockStartTick) * 0.001f;
}

void SceneScript::setClock(uint32_t ms) {
    platformSetVirtualTicks(ms);
}

void SceneScript::requestQuit() {
    gQuitRequested = 1;
}

int SceneScript::run(SceneFunction scene) {
    startSceneClock();
    updateClock();
    return scene();
}

void SceneScript::run(void (*sequence)()) {
    sequence();
}

void SceneScript::playFrames(int frames, int endOrder, uint32_t msPerFrame) {
    onFrame = [this, frames, endOrder, msPerFrame](int frame) {
        setClock(msPerFrame * uint32_t(frame + 1));
        if (frame + 1 >= frames) setMusic(endOrder, 0);
    };
}

int SceneScript::frames() const {
    return output_ == Output::Record   ? recorder.frames
           : output_ == Output::Silent ? silent.frames
                                       : drawing.frames;
}

void SceneScript::afterPresent(int frame) {
    if (output_ == Output::Record) frameEnds_.push_back(recorder.calls.size());
    if (onFrame) onFrame(frame);
    if (frame + 1 >= frameLimit) {
        hitLimit_ = true;
        requestQuit();
    }
}

std::vector<RecordedCall> SceneScript::frameCalls(int n) const {
    if (n < 0 || n >= int(frameEnds_.size())) return {};
    const size_t begin = n == 0 ? 0 : frameEnds_[n - 1];
    return {recorder.calls.begin() + begin, recorder.calls.begin() + frameEnds_[n]};
}

std::vector<RecordedCall> SceneScript::frameCalls(int n, const std::string& op) const {
    std::vector<RecordedCall> out;
    for (RecordedCall& c : frameCalls(n))
        if (c.op == op) out.push_back(std::move(c));
    return out;
}

void installTestAssets() {
    // Each image's texture name is its place in the data set's upload order, counted from 1.
    const std::pair<int*, const char*> textures[] = {{&texEnvmap1, kFileEnvmap1},
                                                     {&texStripe, kFileStripe},
                                                     {&texStriber3, kFileStriber3},
                                                     {&texFisse, kFileFisse},
                                                     {&texOs, kFileOs},
                                                     {&texPlettet, kFilePlettet},
                                                     {&texCircles, kFileCircles},
                                                     {&texLogoenv, kFileLogoenv},
                                                     {&texPicture[0], kFilePicture[0]},
                                                     {&texPicture[1], kFilePicture[1]},
                                                     {&texPicture[2], kFilePicture[2]},
                                                     {&texPicture[3], kFilePicture[3]},
                                                     {&texPictureB[0], kFilePictureB[0]},
                                                     {&texPictureB[1], kFilePictureB[1]},
                                                     {&texPictureB[2], kFilePictureB[2]},
                                                     {&texPictureB[3], kFilePictureB[3]},
                                                     {&texVexpush, kFileVexpush},
                                                     {&texGreets, kFileGreets},
                                                     {&texTxt, kFileTxt}};
    for (const auto& [texture, file] : textures)
        for (int i = 0; i < int(std::size(kTextureOrder)); ++i)
            if (std::string(kTextureOrder[i]) == file) *texture = i + 1;
    texTentacleEnv = texEnvmap1;

    meshTube.makeTube(80.0f, 20.0f, 30, 40);  // the Wave scene's grid needs the real ring layout
    for (Mesh* mesh : {&meshText01, &meshText02, &meshHeart, &meshSpiral, &meshBall, &meshCone,
                       &meshBox, &meshDude, &meshGlasses, &meshLogo})
        mesh->makeTube(40.0f, 20.0f, 4, 6);

    if (tentacleField.tentacleCount == 0) tentacleField.init();
    tentacleField.setScreen(800, 600, 32);
}

bool dataSetPresent() {
    chooseDataDir(SHOW_DATA_DIR);
    return checkDataFiles().empty();
}

std::string loadDataSet() {
    chooseDataDir(SHOW_DATA_DIR);
    return loadAssets();
}

void makeTestMesh(Mesh& mesh, const std::vector<Vector3>& positions,
                  const std::vector<std::array<int, 3>>& faces) {
    delete[] mesh.vertices.positions;
    delete[] mesh.vertices.verts;
    delete[] mesh.restVertices.positions;
    delete[] mesh.restVertices.verts;
    delete[] mesh.faces.faces;
    const int n = int(positions.size());
    mesh.vertices = {new Vector3[n], new MeshVertex[n], n};
    mesh.restVertices = {new Vector3[n], new MeshVertex[n], n};
    for (int i = 0; i < n; ++i) {
        mesh.vertices.positions[i] = mesh.restVertices.positions[i] = positions[i];
        MeshVertex v = {};
        v.r = v.g = v.b = v.a = 1.0f;
        mesh.vertices.verts[i] = mesh.restVertices.verts[i] = v;
    }
    mesh.faces = {new MeshFace[faces.size()], int(faces.size())};
    for (size_t k = 0; k < faces.size(); ++k) {
        MeshFace& f = mesh.faces.faces[k];
        for (int c = 0; c < 3; ++c) {
            f.indices[c] = faces[k][c];
            f.corners[c] = &mesh.vertices.verts[faces[k][c]];
        }
        f.spare = 0;
    }
}
