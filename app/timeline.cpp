// The show's one timeline of music positions: delivery on a virtual clock.
#include "app/timeline.h"

#include "platform/platform.h"

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
