// When a playing module's positions are heard: from the device's buffers while it asks for sound,
// on a clock of its own while there is no device or it has gone quiet, standing still while paused.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/module.h"

// Times are nanoseconds of one steady clock that the caller reads (the real one, or a test's).
// fill runs on the device's thread; start, poll, pause and stop run on one other thread at a
// time (a timeline thread, or the frame loop where there are no threads). Nothing is allocated
// after construction. The clock has no SDL and no threads of its own, so it is tested with a
// scripted device and scripted time.
class MusicClock {
  public:
    using Deliver = void (*)(uint32_t data, void* user);  // data as packPosition gives it
    // What a poll changed, for the caller to say.
    enum class Event { None, DeviceLost, DeviceBack };
    // A device that has asked for sound before and then stops asking this long, while the
    // caller polls, is gone. A caller that itself stood still this long (a frozen page, a
    // machine asleep, a main thread busy elsewhere) cannot tell, so the wait starts again.
    static constexpr int64_t kStallNs = 250000000;
    // A sound server may take seconds to ask for the first buffer (PulseAudio's null sink does
    // when nothing records it); a device that has not yet asked is given this long.
    static constexpr int64_t kFirstCallbackNs = 5000000000;
    // How often a poll is wanted while the device plays (to notice it going quiet).
    static constexpr int64_t kIdlePollNs = 10000000;

    MusicClock();
    MusicClock(const MusicClock&) = delete;
    MusicClock& operator=(const MusicClock&) = delete;

    // Begins delivering the positions of `music` from the frame it stands at. With a device,
    // fill renders it and a position is heard `latencyNs` after the call that rendered it;
    // without one, the clock renders it itself, its current frame heard at `nowNs`.
    void start(OfflineMusic* music, bool device, int64_t latencyNs, int64_t nowNs);
    // Stops delivering and forgets what was queued; only while fill cannot run.
    void stop();
    // The device asks for `frames` stereo frames at `nowNs`: the music's sound, or silence while
    // paused, stopped or taken over. Returns true when it queued a position.
    bool fill(int16_t* out, int frames, int64_t nowNs);
    // Delivers, in order, every position heard by `nowNs`; takes the music over when the device
    // has gone quiet and hands it back when the device asks again (*event says which). Returns
    // when the next poll is wanted: the next position's time where it is known.
    int64_t poll(int64_t nowNs, Deliver deliver, void* user, Event* event);
    // Pauses (the show's timeline stands still: nothing is heard, nothing delivered) or
    // resumes from the same frame, every position still to come moved on by the pause. A device
    // that stopped asking during the pause (a browser suspends its output) gets its full
    // patience again from the resume.
    void pause(bool on, int64_t nowNs);
    bool paused() const { return paused_.load(); }
    // Changes the delay from a fill to its first frame being heard (a browser tells its output's
    // only once sound runs); positions already queued keep the delay they were queued with.
    void setLatency(int64_t latencyNs);
    // The length of the device's buffers: a device that asks for long ones (a browser's, of
    // 186 ms) is given two of them, at least the stall limit, before it counts as stalled.
    void setBufferLength(int64_t ns) { stallNs_ = ns * 2 > kStallNs ? ns * 2 : kStallNs; }
    // Gives up on the device now (a browser whose sound output did not start): the music goes
    // on silently on the clock's own time from the next poll, and comes back if the device asks.
    void abandonDevice() { abandon_ = true; }
    // Whether the clock, not a device, keeps time now.
    bool onOwnClock() const { return !device_; }

  private:
    static constexpr uint32_t kQueueCapacity = 256;  // positions rendered, not yet heard
    // The most positions one render call can begin: fill renders only while this much room is
    // left, so a position is never dropped; a queue nobody empties holds the music back.
    static constexpr uint32_t kReportCapacity = 64;
    // A position rendered for the device, with the time it will be heard on the show's timeline.
    struct Pending {
        int64_t due;
        uint32_t data;
    };
    bool push(const Pending& p);
    bool roomForBlock() const;
    bool peek(Pending* p) const;
    void pop();
    // The show's timeline: the caller's clock less every pause, standing still during one.
    int64_t showTime(int64_t nowNs) const;
    void trackDevice(int64_t nowNs, int64_t firstFrame, int64_t bufferNs);

    OfflineMusic* music_ = nullptr;
    std::mutex renderMutex_;  // held by whoever renders music_: fill, or poll on its own clock
    std::atomic<bool> playing_{false};
    bool hasDevice_ = false;
    bool device_ = false;      // poll's side: the device keeps time
    bool deviceLost_ = false;  // the clock has the music; guarded by renderMutex_
    std::atomic<bool> deviceBack_{false};
    std::atomic<bool> deviceAsked_{false};
    std::atomic<int64_t> lastCallbackNs_{0};
    std::atomic<bool> endQueued_{false};  // the end of the song is queued or delivered
    std::atomic<int64_t> lastQueued_{0};  // when the latest queued position is heard
    int64_t latencyNs_ = 0;
    int64_t lastPollNs_ = 0;     // poll's side: when it last looked
    int64_t stallNs_ = kStallNs;  // poll's side: how long a device that has asked may be quiet
    int64_t patienceFrom_ = 0;   // poll's side: a stall is counted from no earlier than this
    std::atomic<bool> abandon_{false};

    // Pause: pausedNs_ is the time spent paused before the current pause.
    std::atomic<bool> paused_{false};
    std::atomic<int64_t> pausedNs_{0};
    int64_t pauseBegan_ = 0;

    // fill's side: the device's clock, smoothed over its callbacks.
    bool haveOrigin_ = false;
    int64_t originNs_ = 0;
    std::vector<PositionReport> deviceReports_;

    // poll's side on its own clock: frame 0 of the song heard at epoch_, and positions rendered
    // a little ahead of being heard.
    int64_t epoch_ = 0;
    std::vector<PositionReport> ownReports_;
    size_t ownNext_ = 0;

    Pending queue_[kQueueCapacity];
    std::atomic<uint32_t> head_{0};
    std::atomic<uint32_t> tail_{0};
};
