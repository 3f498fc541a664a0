// Music player: the sound device plays what the module renders, or a clock of our own keeps time without one.
#include "platform/audio.h"

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

constexpr int kClockBlockFrames = 256;  // 5.8 ms: the silent clock's rendering step
constexpr size_t kReportCapacity = 64;  // far more rows than one block can begin
constexpr uint32_t kSyncId = 1;

constexpr int kPendingCapacity = 256;    // reports rendered but not yet heard: far over a second's
constexpr int64_t kStallNs = 250000000;  // a device this long without asking for sound is gone
// A sound server may take seconds to ask for the first buffer (PulseAudio's null sink does
// when nothing records it); a device that has not yet asked is given this long.
constexpr int64_t kFirstCallbackNs = 5000000000;
constexpr int64_t kIdlePollNs = 10000000;  // how often a device gone quiet is looked at

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

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t framesToNs(int64_t frames) {
    return frames * 1000000000LL / kMusicSampleRate;
}

// A position rendered for the device, with the steady-clock time it will be heard.
struct Pending {
    int64_t dueNs;
    uint32_t data;
};

// Single-producer (the device callback), single-consumer (the timeline thread) queue.
class PendingQueue {
  public:
    bool push(const Pending& p) {
        const uint32_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) == kPendingCapacity) return false;
        slots_[tail % kPendingCapacity] = p;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }
    bool peek(Pending* p) const {
        const uint32_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) return false;
        *p = slots_[head % kPendingCapacity];
        return true;
    }
    void pop() {
        head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }
    // Only while neither side runs.
    void clear() { head_.store(tail_.load()); }

  private:
    Pending slots_[kPendingCapacity];
    std::atomic<uint32_t> head_{0};
    std::atomic<uint32_t> tail_{0};
};

// The one real-time player. The audio thread (SDL's callback or our timeline thread) touches
// `music` and `reports` only while `playing`; the main thread touches them only before
// playing starts and after the threads have stopped. When the device goes quiet, the
// timeline thread takes `music` over under `renderMutex`, and the callback leaves it alone.
struct Player {
    OfflineMusic music;
    std::vector<PositionReport> reports;
    std::atomic<uint32_t> handle{0};  // of the loaded module; 0 when none
    std::atomic<MusicSyncProc> proc{nullptr};
    std::atomic<bool> playing{false};
    std::atomic<bool> endReported{false};  // the end of the song has been reported or queued
    uint32_t lastHandle = 0;
    bool initialised = false;
    bool sdlAudio = false;  // the SDL audio subsystem is up
    bool silent = false;
    SDL_AudioDeviceID device = 0;
    bool outputRunning = false;
    std::thread timeline;  // delivers the positions when heard; the clock when silent
    std::mutex mutex;      // guards `stopping` and the timeline thread's waits
    std::condition_variable wake;
    bool stopping = false;
    // Pause: the audio thread renders nothing while set. The clock thread's timeline is
    // moved on by the time spent paused (epoch and pausedAt are guarded by `mutex`).
    std::atomic<bool> paused{false};
    std::chrono::steady_clock::time_point epoch;
    std::chrono::steady_clock::time_point pausedAt;

    // Device playback.
    int64_t latencyNs = 0;  // from a callback to its first frame being heard
    PendingQueue pending;
    std::mutex renderMutex;                  // held by the callback while it renders `music`
    bool deviceLost = false;                 // the timeline thread plays on; guarded by renderMutex
    std::atomic<bool> deviceBack{false};     // the device asked for sound while it was lost
    std::atomic<int64_t> lastCallbackNs{0};  // when the device last asked for sound while playing
    std::atomic<bool> deviceAsked{false};    // it has asked since play began
    bool haveOrigin = false;  // audio thread only: the device's timeline is being tracked
    int64_t originNs = 0;     // smoothed time of the song's frame 0 at the callback
};

Player player;
bool captureMode = false;  // a capture delivers the positions itself; nothing plays

void dispatchData(uint32_t data) {
    if (MusicSyncProc proc = player.proc.load()) proc(kSyncId, player.handle.load(), data);
}

void dispatch(const PositionReport& report) {
    dispatchData(packPosition(report.order, report.row));
}

// The end of the song, once: a module shorter than the show must not leave it waiting.
void dispatchEnd() {
    dispatchData(packPosition(kEndOfSongOrder, 0));
}

// Follows the device's clock: the song's frame f is handed over at originNs + f / rate. Each
// callback gives one noisy reading (a device asks when it likes, within a buffer or so); an
// average over the last few tracks the device without its jitter, and a reading far off
// (the device stalled and came back) starts the average afresh.
void trackDeviceClock(int64_t now, int64_t firstFrame, int64_t bufferNs) {
    const int64_t reading = now - framesToNs(firstFrame);
    if (!player.haveOrigin || std::llabs(reading - player.originNs) > 3 * bufferNs) {
        player.originNs = reading;
        player.haveOrigin = true;
    } else {
        player.originNs += (reading - player.originNs) / 8;
    }
}

// Renders the device's buffer; each position goes to the timeline thread with the moment
// its first frame will be heard.
void deviceCallback(void*, Uint8* stream, int bytes) {
    auto* out = reinterpret_cast<int16_t*>(stream);
    const int frames = bytes / 4;
    int done = 0;
    bool queued = false;
    if (player.playing.load(std::memory_order_acquire)) {
        std::lock_guard<std::mutex> render(player.renderMutex);
        if (player.deviceLost) {
            player.deviceBack = true;
        } else if (player.paused.load()) {
            // Paused: silence, but the device is alive; its timeline is tracked afresh after.
            player.lastCallbackNs.store(nowNs());
            player.deviceAsked.store(true);
            player.haveOrigin = false;
        } else {
            const int64_t now = nowNs();
            player.lastCallbackNs.store(now);
            player.deviceAsked.store(true);
            trackDeviceClock(now, player.music.framesRendered(), framesToNs(frames));
            const int64_t base = player.originNs + player.latencyNs;
            while (done < frames && !player.music.ended()) {
                const int n = player.music.render(out + 2 * done, frames - done, player.reports);
                for (const PositionReport& r : player.reports)
                    queued |= player.pending.push(
                        {base + framesToNs(r.frame), packPosition(r.order, r.row)});
                player.reports.clear();
                if (n == 0) break;
                done += n;
            }
            if (player.music.ended() && !player.endReported) {
                player.endReported = true;
                queued |= player.pending.push({base + framesToNs(player.music.framesRendered()),
                                               packPosition(kEndOfSongOrder, 0)});
            }
        }
    }
    std::memset(out + 2 * done, 0, static_cast<size_t>(frames - done) * 4);
    if (queued) {
        // Taking the lock orders the push before the timeline thread's next look at the queue.
        { std::lock_guard<std::mutex> lock(player.mutex); }
        player.wake.notify_all();
    }
}

std::chrono::steady_clock::time_point steadyAt(int64_t ns) {
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(ns));
}

std::chrono::steady_clock::time_point frameTime(std::chrono::steady_clock::time_point epoch,
                                                int64_t frame) {
    return epoch + std::chrono::nanoseconds(framesToNs(frame));
}

// Waits until `frame` is due on the clock thread's timeline, standing still while paused.
// Returns true when playback is stopping.
bool waitForFrame(std::unique_lock<std::mutex>& lock, int64_t frame) {
    for (;;) {
        if (player.stopping) return true;
        if (player.paused) {
            player.wake.wait(lock);
            continue;
        }
        const auto due = frameTime(player.epoch, frame);
        if (std::chrono::steady_clock::now() >= due) return false;
        player.wake.wait_until(lock, due);
    }
}

// Device playback: delivers each position when it is heard. Returns true when asked to stop,
// false when the device has stopped asking for sound and the song must go on silently.
bool deliverWhenHeard(std::unique_lock<std::mutex>& lock) {
    auto stopRequested = [] { return player.stopping; };
    while (!player.stopping) {
        Pending next;
        if (player.pending.peek(&next)) {
            if (player.wake.wait_until(lock, steadyAt(next.dueNs), stopRequested)) return true;
            player.pending.pop();
            lock.unlock();
            dispatchData(next.data);
            lock.lock();
            continue;
        }
        const int64_t patience = player.deviceAsked.load() ? kStallNs : kFirstCallbackNs;
        if (!player.endReported && nowNs() - player.lastCallbackNs.load() > patience) {
            lock.unlock();
            std::lock_guard<std::mutex> render(player.renderMutex);
            player.deviceLost = true;
            lock.lock();
            // A callback may have queued one more block before giving up the music.
            if (player.pending.peek(&next)) continue;
            return false;
        }
        player.wake.wait_for(lock, std::chrono::nanoseconds(kIdlePollNs), [] {
            Pending p;
            return player.stopping || player.pending.peek(&p);
        });
    }
    return true;
}

// Silent playback from the song's current frame: renders a little ahead and reports each
// row at the moment its first frame would be heard, timed from `epoch`, frame 0's time.
// Returns true when a device that had gone quiet asks for sound again: it plays on from the
// next block.
bool playSilently(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point epoch) {
    player.epoch = epoch;
    player.pausedAt = epoch;
    while (!player.stopping && !player.music.ended()) {
        if (player.deviceBack.load()) return true;
        lock.unlock();
        player.music.render(nullptr, kClockBlockFrames, player.reports);
        lock.lock();
        for (const PositionReport& report : player.reports) {
            if (waitForFrame(lock, report.frame)) break;
            lock.unlock();
            dispatch(report);
            lock.lock();
        }
        player.reports.clear();
        waitForFrame(lock, player.music.framesRendered());
    }
    if (!player.stopping && player.music.ended() && !player.endReported) {
        player.endReported = true;
        lock.unlock();
        dispatchEnd();
        lock.lock();
    }
    return false;
}

// The timeline thread: from the moment play begins, delivers positions as they are heard,
// on the device's clock or, while there is none, its own.
void timelineLoop() {
    std::unique_lock<std::mutex> lock(player.mutex);
    player.wake.wait(lock, [] { return player.stopping || player.playing.load(); });
    bool device = !player.silent;
    while (!player.stopping) {
        if (device) {
            if (deliverWhenHeard(lock)) return;
            std::fprintf(stderr,
                         "music: the audio device has stopped playing; the music goes on "
                         "silently\n");
        }
        const auto start = std::chrono::steady_clock::now();
        const auto epoch =
            start - std::chrono::nanoseconds(framesToNs(player.music.framesRendered()));
        device = playSilently(lock, epoch);
        if (!device) break;
        // The device has the song again, from the next frame on.
        lock.unlock();
        {
            std::lock_guard<std::mutex> render(player.renderMutex);
            player.haveOrigin = false;
            player.lastCallbackNs = nowNs();
            player.deviceBack = false;
            player.deviceLost = false;
        }
        lock.lock();
        std::fprintf(stderr, "music: the audio device is playing again\n");
    }
    player.wake.wait(lock, [] { return player.stopping; });
}

}  // namespace

void audioSetCaptureMode(bool on) {
    captureMode = on;
}

void audioInit() {
    if (player.initialised) return;
    player.initialised = true;
    if (captureMode) return;
    player.reports.reserve(kReportCapacity);
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
            want.samples = kMusicDeviceFrames;
            want.callback = deviceCallback;
            player.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
            if (player.device == 0) {
                why = std::string("cannot open the default audio device: ") + SDL_GetError();
            } else {
                player.silent = false;
                // The buffer the device is playing while the callback fills the next one.
                player.latencyNs = framesToNs(have.samples) + driverExtraLatencyNs(driver);
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
    if (!player.initialised || player.outputRunning || captureMode) return;
    player.outputRunning = true;
    player.stopping = false;
    player.deviceLost = false;
    player.deviceBack = false;
    player.pending.clear();
    player.timeline = std::thread(timelineLoop);
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
        player.endReported = false;
        player.haveOrigin = false;
        player.lastCallbackNs = nowNs();
        player.deviceAsked = false;
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
        if (pause == player.paused.load()) return;
        const auto t = std::chrono::steady_clock::now();
        if (pause)
            player.pausedAt = t;
        else
            player.epoch += t - player.pausedAt;
        player.paused = pause;
    }
    player.wake.notify_all();
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
        player.timeline.join();
        player.outputRunning = false;
    }
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
    player.paused = false;
}
