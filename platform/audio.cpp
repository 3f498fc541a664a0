// Music player: the sound device plays what the module renders, or a clock of our own keeps time
// without one.
#include "platform/audio.h"

#include "platform/music_clock.h"
#ifdef __EMSCRIPTEN__
#include "platform/web/page.h"
#endif

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

constexpr uint32_t kSyncId = 1;

// Output latency of a driver beyond the device buffer, measured by recording what it played
// (bench/sound_server_bench.cpp). PulseAudio: SDL asks the server for a total latency of one
// buffer, and the server asks for the next buffer before that one is quite played out, so
// a callback's first frame is heard 7 ms after it, not the buffer's 11.6 ms. Other drivers
// are taken to play one buffer while the callback fills the next.
constexpr int64_t kPulseExtraLatencyNs = -4500000;
int64_t driverExtraLatencyNs(const char* driver) {
    if (driver && std::strcmp(driver, "pulseaudio") == 0) return kPulseExtraLatencyNs;
    return 0;
}

// Where the platform has threads, one of ours delivers each position the moment it is heard;
// without them the frame loop's audioPoll does, once a frame.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool kTimelineThread = false;
#else
constexpr bool kTimelineThread = true;
#endif

// A browser makes the sound on the page's main thread, between frames: a device buffer of 186 ms
// outlasts a busy stretch there (a slow frame, another script's long task) that an 11.6 ms one
// would be heard through. The positions are timed from its callbacks all the same.
#ifdef __EMSCRIPTEN__
constexpr int kDeviceFrames = 8192;
#else
constexpr int kDeviceFrames = kMusicDeviceFrames;
#endif

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t framesToNs(int64_t frames) {
    return frames * 1000000000LL / kMusicSampleRate;
}

// The one real-time player. The device's callback renders `music` through the clock; the
// main thread touches `music` only before playing starts and after output has stopped.
struct Player {
    OfflineMusic music;
    MusicClock clock;
    std::atomic<uint32_t> handle{0};  // of the loaded module; 0 when none
    std::atomic<MusicSyncProc> proc{nullptr};
    std::atomic<bool> playing{false};
    uint32_t lastHandle = 0;
    bool initialised = false;
    bool sdlAudio = false;  // the SDL audio subsystem is up
    bool silent = false;
    SDL_AudioDeviceID device = 0;
    int64_t bufferNs = 0;  // from a callback to its first frame leaving the program
    bool outputRunning = false;
    std::thread timeline;  // delivers the positions when heard
    std::mutex mutex;      // guards the clock's poll, pause and start, and `stopping`
    std::condition_variable wake;
    bool stopping = false;
    bool pauseWanted = false;  // audioPause's latest word, kept for the next play
};

Player player;

// From a callback to its first frame being heard: the device's buffer. A browser's page says
// when each buffer is heard instead (deviceCallback), so there it is nothing.
int64_t latencyNs() {
#ifdef __EMSCRIPTEN__
    return 0;
#else
    return player.bufferNs;
#endif
}

// The moment a callback's buffer is heard less latencyNs(): the callback's own moment, or in a
// browser the moment its page gives (else the callback's, with the device buffer and the output
// latency the browser reports, known only once its sound runs).
int64_t callbackNs() {
#ifdef __EMSCRIPTEN__
    const int64_t heard = webSoundHeardNs();
    if (heard >= 0) return heard;
    return nowNs() + player.bufferNs + static_cast<int64_t>(webAudioOutputLatency() * 1e9);
#else
    return nowNs();
#endif
}

void dispatchData(uint32_t data, void*) {
#ifdef __EMSCRIPTEN__
    webNoteHeard(data);
#endif
    if (MusicSyncProc proc = player.proc.load()) proc(kSyncId, player.handle.load(), data);
}

// Polls the clock with player.mutex held; says when the device went or came back.
int64_t pollClock() {
    MusicClock::Event event;
    const int64_t next = player.clock.poll(nowNs(), dispatchData, nullptr, &event);
    if (event == MusicClock::Event::DeviceLost)
        std::fprintf(stderr,
                     "music: the audio device has stopped playing; the music goes on silently\n");
    else if (event == MusicClock::Event::DeviceBack)
        std::fprintf(stderr, "music: the audio device is playing again\n");
    return next;
}

void deviceCallback(void*, Uint8* stream, int bytes) {
    if (player.clock.fill(reinterpret_cast<int16_t*>(stream), bytes / 4, callbackNs())) {
        // Taking the lock orders the push before the timeline thread's next look at the queue.
        { std::lock_guard<std::mutex> lock(player.mutex); }
        player.wake.notify_all();
    }
}

// The timeline thread: from the moment play begins, delivers positions as they are heard.
void timelineLoop() {
    std::unique_lock<std::mutex> lock(player.mutex);
    while (!player.stopping) {
        if (!player.playing.load()) {
            player.wake.wait(lock);
            continue;
        }
        const int64_t next = pollClock();
        player.wake.wait_until(
            lock, std::chrono::steady_clock::time_point(std::chrono::nanoseconds(next)));
    }
}

}  // namespace

void audioInit() {
    if (player.initialised) return;
    player.initialised = true;
    player.silent = true;
    std::string why;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = std::string("SDL audio does not start: ") + SDL_GetError();
    } else {
        player.sdlAudio = true;
        const char* driver = SDL_GetCurrentAudioDriver();
        if (driver && std::strcmp(driver, "dummy") == 0) {
            // SDL's dummy driver paces its callback in whole milliseconds, so the music
            // would drift; our clock thread keeps exact time.
            why = "the audio driver \"dummy\" has no output";
        } else {
            SDL_AudioSpec want{}, have{};
            want.freq = kMusicSampleRate;
            want.format = AUDIO_S16SYS;
            want.channels = 2;
            want.samples = kDeviceFrames;
            want.callback = deviceCallback;
            player.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
            if (player.device == 0) {
                why = std::string("cannot open the default audio device: ") + SDL_GetError();
            } else {
                player.silent = false;
                // The buffer the device is playing while the callback fills the next one.
                player.bufferNs = framesToNs(have.samples) + driverExtraLatencyNs(driver);
                player.clock.setBufferLength(framesToNs(have.samples));
#ifdef __EMSCRIPTEN__
                webWatchSound();
#endif
            }
        }
    }
    if (player.silent)
        std::fprintf(stderr, "music: no sound (%s); the music runs silently in real time\n",
                     why.c_str());
}

bool audioIsSilent() {
    return player.silent;
}

std::string audioLoadMusic(const char* path, uint32_t* handle) {
    *handle = 0;
    std::vector<uint8_t> bytes;
    const std::string error = readMusicFile(path, bytes);
    if (!error.empty()) return error;
    return audioLoadMusicMemory(bytes.data(), bytes.size(), path, handle);
}

std::string audioLoadMusicMemory(const void* data, size_t size, const char* name,
                                 uint32_t* handle) {
    *handle = 0;
    if (player.playing.load())
        return std::string("cannot load the music file ") + name + ": another module is playing";
    player.handle = 0;
    const std::string error = player.music.openMemory(data, size, name);
    if (!error.empty()) return error;
    player.handle = ++player.lastHandle;
    *handle = player.handle;
    return "";
}

void audioStart() {
    if (!player.initialised || player.outputRunning) return;
    player.outputRunning = true;
    player.stopping = false;
    if (kTimelineThread) player.timeline = std::thread(timelineLoop);
    if (!player.silent) SDL_PauseAudioDevice(player.device, 0);
}

uint32_t audioSetPositionSync(uint32_t handle, MusicSyncProc proc) {
    if (handle == 0 || handle != player.handle.load()) return 0;
    player.proc = proc;
    return kSyncId;
}

bool audioPlay(uint32_t handle) {
    if (handle == 0 || handle != player.handle.load()) return false;
    {
        std::lock_guard<std::mutex> lock(player.mutex);
        const int64_t now = nowNs();
        player.clock.start(&player.music, !player.silent, latencyNs(), now);
        player.clock.pause(player.pauseWanted, now);
        player.playing.store(true, std::memory_order_release);
    }
    player.wake.notify_all();
    return true;
}

bool audioSeek(uint32_t handle, int32_t order, int32_t row) {
    if (handle == 0 || handle != player.handle.load() || player.playing.load()) return false;
    return player.music.seek(order, row);
}

void audioPause(bool pause) {
    {
        std::lock_guard<std::mutex> lock(player.mutex);
        player.pauseWanted = pause;
        if (!pause && !player.silent) player.clock.setLatency(latencyNs());
        player.clock.pause(pause, nowNs());
    }
    player.wake.notify_all();
}

void audioSkipStall(int64_t ns) {
    std::lock_guard<std::mutex> lock(player.mutex);
    if (player.clock.paused()) return;
    const int64_t now = nowNs();
    player.clock.pause(true, now - ns);
    player.clock.pause(false, now);
}

void audioAbandonDevice() {
    std::lock_guard<std::mutex> lock(player.mutex);
    if (!player.silent) player.clock.abandonDevice();
}

void audioStop() {
    if (player.outputRunning) {
        // SDL runs the callback under the device lock and checks the pause flag under it, so
        // once this returns no callback is running or will start.
        if (!player.silent) SDL_PauseAudioDevice(player.device, 1);
        {
            std::lock_guard<std::mutex> lock(player.mutex);
            player.stopping = true;
        }
        player.wake.notify_all();
        if (player.timeline.joinable()) player.timeline.join();
        player.outputRunning = false;
    }
    player.clock.stop();
    player.playing = false;
}

void audioFree() {
    audioStop();
    if (player.device) SDL_CloseAudioDevice(player.device);
    player.device = 0;
    if (player.sdlAudio) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    player.sdlAudio = false;
    player.music.close();
    player.handle = 0;
    player.proc = nullptr;
    player.initialised = false;
    player.silent = false;
    player.pauseWanted = false;
}

void audioPoll() {
    if (!player.outputRunning) return;
    std::lock_guard<std::mutex> lock(player.mutex);
    if (player.playing.load()) pollClock();
}
