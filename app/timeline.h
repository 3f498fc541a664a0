// The show's one timeline of music positions: every source (the sound device's clock, a
// fast-forward, a capture) hands it reports of order and row at a tick, and it delivers them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/music.h"
#include "platform/module.h"

// A real-time source delivers through onMusicPosition as each row is heard. A source that keeps
// virtual time delivers through deliverUntilFrame: each row then arrives with the virtual clock
// at the tick its row began, as it would have in real time.

// Delivers, in order, every report from *next on whose row has begun by frame `frame` of a
// virtual clock at `fps` frames a second (report.frame * fps <= frame * the sample rate), each
// with the clock at the tick its row began; then moves the clock to `frameTick`, the frame's own.
void deliverUntilFrame(const std::vector<PositionReport>& reports, size_t* next, uint64_t frame,
                       int fps, uint32_t frameTick);
