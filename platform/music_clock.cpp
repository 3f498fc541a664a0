// The heard-time clock of a playing module: the device's buffers, a clock of its own, pauses.
#include "platform/music_clock.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kOwnBlockFrames = 256;  // 5.8 ms: the own clock's rendering step

int64_t framesToNs(int64_t frames) {
    return frames * 1000000000LL / kMusicSampleRate;
}

}  // namespace

MusicClock::MusicClock() {
    deviceReports_.reserve(kReportCapacity);
    ownReports_.reserve(kReportCapacity);
}

bool MusicClock::push(const Pending& p) {
    const uint32_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == kQueueCapacity) return false;
    queue_[tail % kQueueCapacity] = p;
    tail_.store(tail + 1, std::memory_order_release);
    lastQueued_.store(p.due);
    return true;
}

bool MusicClock::roomForBlock() const {
    const uint32_t used = tail_.load(std::memory_order_relaxed) - head_.load(std::memory_order_acquire);
    return kQueueCapacity - used > kReportCapacity;
}

bool MusicClock::peek(Pending* p) const {
    const uint32_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return false;
    *p = queue_[head % kQueueCapacity];
    return true;
}

void MusicClock::pop() {
    head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

int64_t MusicClock::showTime(int64_t nowNs) const {
    return (paused_.load() ? pauseBegan_ : nowNs) - pausedNs_.load();
}

void MusicClock::start(OfflineMusic* music, bool device, int64_t latencyNs, int64_t nowNs) {
    std::lock_guard<std::mutex> render(renderMutex_);
    music_ = music;
    hasDevice_ = device_ = device;
    deviceLost_ = false;
    deviceBack_ = false;
    deviceAsked_ = false;
    lastCallbackNs_ = nowNs;
    lastPollNs_ = patienceFrom_ = nowNs;
    abandon_ = false;
    endQueued_ = false;
    latencyNs_ = latencyNs;
    paused_ = false;
    pausedNs_ = 0;
    haveOrigin_ = false;
    head_.store(tail_.load());
    lastQueued_ = showTime(nowNs);
    epoch_ = showTime(nowNs) - framesToNs(music->framesRendered());
    ownReports_.clear();
    ownNext_ = 0;
    playing_.store(true, std::memory_order_release);
}

void MusicClock::setLatency(int64_t latencyNs) {
    std::lock_guard<std::mutex> render(renderMutex_);
    latencyNs_ = latencyNs;
}

void MusicClock::stop() {
    playing_ = false;
    head_.store(tail_.load());
    ownReports_.clear();
    ownNext_ = 0;
}

// Follows the device's clock: the song's frame f is handed over at originNs_ + f / rate. Each
// callback gives one noisy reading (a device asks when it likes, within a buffer or so); an
// average over the last few tracks the device without its jitter, and a reading far off (the
// device stalled and came back) starts the average afresh.
void MusicClock::trackDevice(int64_t nowNs, int64_t firstFrame, int64_t bufferNs) {
    const int64_t reading = nowNs - framesToNs(firstFrame);
    if (!haveOrigin_ || std::llabs(reading - originNs_) > 3 * bufferNs) {
        originNs_ = reading;
        haveOrigin_ = true;
    } else {
        originNs_ += (reading - originNs_) / 8;
    }
}

bool MusicClock::fill(int16_t* out, int frames, int64_t nowNs) {
    int done = 0;
    bool queued = false;
    if (playing_.load(std::memory_order_acquire)) {
        std::lock_guard<std::mutex> render(renderMutex_);
        if (deviceLost_) {
            deviceBack_ = true;
        } else if (paused_.load()) {
            // Silence, but the device is alive; its clock is tracked afresh afterwards.
            lastCallbackNs_ = nowNs;
            deviceAsked_ = true;
            haveOrigin_ = false;
        } else {
            lastCallbackNs_ = nowNs;
            deviceAsked_ = true;
            trackDevice(nowNs, music_->framesRendered(), framesToNs(frames));
            // When the song's frame 0 is heard, on the show's timeline.
            const int64_t base = originNs_ + latencyNs_ - pausedNs_.load();
            // A full queue means nobody polls (a page stopped without notice): the music waits
            // for its positions to be taken rather than lose any.
            while (done < frames && !music_->ended() && roomForBlock()) {
                const int n = music_->render(out + 2 * done, frames - done, deviceReports_);
                for (const PositionReport& r : deviceReports_)
                    queued |= push({base + framesToNs(r.frame), packPosition(r.order, r.row)});
                deviceReports_.clear();
                if (n == 0) break;
                done += n;
            }
            if (music_->ended() && !endQueued_ && roomForBlock()) {
                endQueued_ = true;
                queued |= push({base + framesToNs(music_->framesRendered()),
                                packPosition(kEndOfSongOrder, 0)});
            }
        }
    }
    std::memset(out + 2 * done, 0, static_cast<size_t>(frames - done) * 4);
    return queued;
}

void MusicClock::pause(bool on, int64_t nowNs) {
    if (on == paused_.load()) return;
    if (on) {
        pauseBegan_ = nowNs;
    } else {
        pausedNs_ += nowNs - pauseBegan_;
        patienceFrom_ = nowNs;
    }
    paused_ = on;
}

int64_t MusicClock::poll(int64_t nowNs, Deliver deliver, void* user, Event* event) {
    *event = Event::None;
    if (!playing_.load()) return nowNs + kIdlePollNs;
    const int64_t show = showTime(nowNs);
    // A caller that stood still has not watched the device meanwhile.
    if (nowNs - lastPollNs_ > kStallNs) patienceFrom_ = nowNs;
    lastPollNs_ = nowNs;
    if (device_) {
        // Also while paused: a device that stops asking for silence is as gone.
        const int64_t patience = deviceAsked_ ? stallNs_ : kFirstCallbackNs;
        const int64_t quietSince = std::max(lastCallbackNs_.load(), patienceFrom_);
        if (abandon_.exchange(false) || (!endQueued_ && nowNs - quietSince > patience)) {
            std::lock_guard<std::mutex> render(renderMutex_);
            deviceLost_ = true;
            device_ = false;
            // The music goes on from the next frame, after whatever the device still had.
            epoch_ = std::max(show, lastQueued_.load()) - framesToNs(music_->framesRendered());
            ownReports_.clear();
            ownNext_ = 0;
            *event = Event::DeviceLost;
        }
    } else if (hasDevice_ && deviceBack_.load() && !endQueued_) {
        // (Once the song has ended there is nothing left to hand back.)
        std::lock_guard<std::mutex> render(renderMutex_);
        haveOrigin_ = false;
        lastCallbackNs_ = nowNs;
        deviceBack_ = false;
        deviceLost_ = false;
        device_ = true;
        *event = Event::DeviceBack;
    }
    if (paused_.load()) return nowNs + kIdlePollNs;

    // The show's timeline back to the caller's clock.
    const int64_t toCaller = pausedNs_.load();
    for (;;) {
        // The earlier of the device's next position and the own clock's.
        Pending queued;
        const bool haveQueued = peek(&queued);
        const bool haveOwn = ownNext_ < ownReports_.size();
        const int64_t ownDue = haveOwn ? epoch_ + framesToNs(ownReports_[ownNext_].frame) : 0;
        if (haveQueued || haveOwn) {
            const bool takeOwn = haveOwn && (!haveQueued || ownDue <= queued.due);
            const int64_t due = takeOwn ? ownDue : queued.due;
            if (due > show) {
                const int64_t at = due + toCaller;
                return device_ ? std::min(at, nowNs + kIdlePollNs) : at;
            }
            if (takeOwn) {
                const PositionReport& r = ownReports_[ownNext_++];
                deliver(packPosition(r.order, r.row), user);
            } else {
                pop();
                deliver(queued.data, user);
            }
            continue;
        }
        if (device_) return nowNs + kIdlePollNs;
        // Own clock: render the next block once what was rendered is being heard.
        const int64_t renderedDue = epoch_ + framesToNs(music_->framesRendered());
        if (music_->ended()) {
            if (endQueued_) return nowNs + kIdlePollNs;
            if (renderedDue > show) return renderedDue + toCaller;
            endQueued_ = true;
            deliver(packPosition(kEndOfSongOrder, 0), user);
            continue;
        }
        if (renderedDue > show) return renderedDue + toCaller;
        std::lock_guard<std::mutex> render(renderMutex_);
        ownReports_.clear();
        ownNext_ = 0;
        music_->render(nullptr, kOwnBlockFrames, ownReports_);
    }
}
