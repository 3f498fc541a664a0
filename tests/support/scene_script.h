// Runs scenes in tests against a recording renderer, with a scripted music position and clock.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "math/vecmath.h"
#include "scenes/scenes.h"
#include "render/forwarding_renderer.h"
#include "support/recording_renderer.h"

class Mesh;

// A renderer whose present() hands control to the test just before and just after the frame is
// shown: before, the finished frame can still be read back; after, the script moves the show on.
template <class Base>
class Scripted : public Base {
  public:
    // Called with the number of the frame being presented (0 = first).
    std::function<void(int frame)> beforePresent;
    std::function<void(int frame)> onPresent;
    int frames = 0;

    void present() override {
        if (beforePresent) beforePresent(frames);
        Base::present();
        int frame = frames++;
        if (onPresent) onPresent(frame);
    }
};
using ScriptedRenderer = Scripted<RecordingRenderer>;
using ScriptedNullRenderer = Scripted<NullRenderer>;
// Passes every call to the renderer the test harness opened last (the GL 1.1 or the ES 2.0 one),
// or, before any was opened, to a renderer that does nothing.
class TestDisplayRenderer : public ForwardingRenderer {
  public:
    TestDisplayRenderer();

  private:
    NullRenderer own_;
};
using ScriptedGLRenderer = Scripted<TestDisplayRenderer>;  // draws through OpenGL (needs a context)

// One scripted run. Construction installs the renderer as gRenderer, switches the platform to a
// virtual clock at 0 ms, puts the music at order 0 row 0, clears any quit request, resets the show
// clock and puts the state that scenes carry between runs (spin, slide, picture columns, closing
// fade and logo) back to its start values; destruction switches the virtual clock off again.
class SceneScript {
  public:
    // What the installed renderer does with the calls.
    enum class Output { Record, Silent, Draw };

    // record = false installs a renderer that records nothing (for allocation counts).
    explicit SceneScript(bool record = true);
    // Draw installs the OpenGL renderer `drawing` (open a display first, e.g. openTestDisplay).
    explicit SceneScript(Output output);
    ~SceneScript();
    SceneScript(const SceneScript&) = delete;
    SceneScript& operator=(const SceneScript&) = delete;

    ScriptedRenderer recorder;
    ScriptedNullRenderer silent;
    ScriptedGLRenderer drawing;

    // Called after every present with the frame number (0 = first); set the music and clock here.
    std::function<void(int frame)> onFrame;
    // Called before every present with the frame number, while the frame can still be read back.
    std::function<void(int frame)> beforeFrameShown;
    // A scene still running after this many frames is stopped with a quit (see hitFrameLimit).
    int frameLimit = 5000;

    // Sets the music position as the position callback does, syncTime included.
    void setMusic(int order, int row);
    // Sets the virtual tick count, in milliseconds.
    void setClock(uint32_t ms);
    // Makes the next pump report a quit (sticky, as in the show).
    void requestQuit();
    // Runs the scene as the driver does (scene clock start, clock update, call); returns its value.
    int run(SceneFunction scene);
    // Runs the closing sequence (or another sequence without a result) the same way.
    void run(void (*sequence)());
    // Common script: the clock advances msPerFrame per frame (the first frame at msPerFrame), and
    // after `frames` frames the music order becomes endOrder (row 0), which ends the scene.
    void playFrames(int frames, int endOrder, uint32_t msPerFrame = 20);

    int frames() const;
    bool hitFrameLimit() const { return hitLimit_; }
    // Calls recorded during frame n: from the clear of frame n - 1 (set-up included for n = 0)
    // up to and including frame n's present.
    std::vector<RecordedCall> frameCalls(int n) const;
    // The calls of frame n whose operation is op.
    std::vector<RecordedCall> frameCalls(int n, const std::string& op) const;

  private:
    Renderer* previous_;
    std::vector<size_t> frameEnds_;  // index after each frame's present in recorder.calls
    bool hitLimit_ = false;
    Output output_;

    void afterPresent(int frame);
};

// Builds small stand-in meshes into the eleven mesh globals, sets the texture-name globals to
// 1 .. 19 in the order the asset table loads them, and initialises the tentacle field once.
void installTestAssets();
// Whether the generated data set exists in the build's data folder.
bool dataSetPresent();
// Loads the generated data set through the current gRenderer (data folder chosen first).
// Returns an empty string on success, else the loader's message.
std::string loadDataSet();
// Builds mesh from explicit positions and faces (three vertex indices each); colour 1, texture
// coordinates 0.
void makeTestMesh(Mesh& mesh, const std::vector<Vector3>& positions,
                  const std::vector<std::array<int, 3>>& faces);

// Number of heap allocations (operator new) made by this process so far.
uint64_t heapAllocations();
// Makes every later heap allocation fail (operator new throws, nothrow forms return none).
void failHeapAllocations(bool on);
// Lets `after` more heap allocations succeed, fails the one after them, then lets all succeed.
void failOneHeapAllocation(int after);
