// The show's one timeline of music positions: virtual-clock delivery and the music source.
#include "app/timeline.h"

#include "app/seek.h"
#include "platform/platform.h"

namespace {

std::string startInRealTime(const char* modulePath, MusicPosition start) {
    if (start.order != 0 || start.row != 0) return fastForwardInRealTime(modulePath);
    return startMusic(modulePath);
}

MusicSource source{startInRealTime, stopMusic};

}  // namespace

void deliverUntilFrame(const std::vector<PositionReport>& reports, size_t* next, uint64_t frame,
                       int fps, uint32_t frameTick) {
    const int64_t reached = static_cast<int64_t>(frame) * kMusicSampleRate;
    while (*next < reports.size() && reports[*next].frame * fps <= reached) {
        const PositionReport& r = reports[(*next)++];
        platformSetVirtualTicks(static_cast<uint32_t>(r.frame * 1000 / kMusicSampleRate));
        onMusicPosition(0, 0, packPosition(r.order, r.row));
    }
    platformSetVirtualTicks(frameTick);
}

void setMusicSource(const MusicSource& s) {
    source = s;
}

std::string startShowMusic(const char* modulePath, MusicPosition start) {
    return source.start(modulePath, start);
}

void stopShowMusic() {
    source.stop();
}
