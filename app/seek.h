// Starting the show at a music position: the frames before it are played through undrawn.
#pragma once
#include <cstdint>
#include <string>

#include "app/music.h"
#include "app/scenetable.h"

class OfflineMusic;

// Whether the show can start at `at` with the module `music`: "" when it can, else why not
// (an order past the show's end or the song's, a row past its order's pattern).
std::string checkShowPosition(const OfflineMusic& music, MusicPosition at);

// Where the next run of the show starts; {0, 0}, the default, plays from the beginning.
void setStartPosition(MusicPosition position);
MusicPosition startPosition();

// Whether frames are being played through without drawing, on the way to the start position.
bool fastForwarding();
// Whether a scene that ends when order `endOrder` begins lies wholly before the start position
// while fast-forwarding: its frames then only move the clock on.
bool sceneEndsBeforeStart(int endOrder);

// Begins the fast-forward if the start position lies past the beginning. The renderer stack then
// puts a renderer in front that keeps the GL state as drawing would but draws nothing, and whose
// present calls skippedFramePresented; that calls `step`, which moves the clock and the music
// position one frame on. When the music position has reached the start position, the renderer
// stack is as before and `arrived` runs, so the next frame is drawn as linear play would draw it.
// Every scene's own state comes out as linear play leaves it because every frame of the scene that
// holds the start runs in full.
void beginFastForward(void (*step)(), void (*arrived)());
// Asks the running show to start again at `position`: the pump then returns kPumpRestart, the
// frame loops end, and the driver resets every module's state and fast-forwards there.
void requestRestart(MusicPosition position);
// Whether a restart is waiting; takeRestart clears it and makes its position the start.
bool restartPending();
bool takeRestart();
// The pump's value while a restart waits: non-zero, so every frame loop ends.
constexpr int kPumpRestart = 2;

// Why the music could not start where the real-time fast-forward arrived ("" when it did); the
// show has been asked to end.
const std::string& seekFailure();

// Forgets the positions rendered for earlier seeks (the module file has changed).
void forgetSeekTimeline();

// Ends a fast-forward early (the show is ending): the real renderer comes back.
void endFastForward();
// What the fast-forward's renderer does in place of showing a frame (see beginFastForward).
void skippedFramePresented();
// Has `changed` called whenever a fast-forward begins or ends (fastForwarding() tells which):
// the owner of the renderer stack puts the fast-forward's renderer in front or takes it away.
void onFastForwardChange(void (*changed)());

// The real-time show's way there: renders the module silently up to the start position and
// keeps the position reports; then the clock becomes virtual at 60 frames a second, fed with
// those reports, and on arrival it turns back into the real clock and the music starts playing
// at the start position. Returns an empty string, or a message naming the file and reason.
std::string fastForwardInRealTime(const char* modulePath);

// Where the show's music comes from. The default plays it in real time (the sound device, or
// the silent clock), fast-forwarding first to a start position past the beginning; a tool that
// keeps its own time (a capture) puts its own in place.
struct MusicSource {
    // Starts the music at `start`; "" or what failed, naming the file.
    std::string (*start)(const char* modulePath, MusicPosition start);
    // Stops it; nothing is delivered afterwards.
    void (*stop)();
};
void setMusicSource(const MusicSource& source);
// The driver's music stage and its shut-down, through the source in place.
std::string startShowMusic(const char* modulePath, MusicPosition start);
void stopShowMusic();
