// Where a capture's wall time went: the phase totals and the line that reports them.
#include "tools/capture/profile.h"

#include <cstdio>

void CaptureProfile::setDrawingFromShowLoop(double showLoopSeconds) {
    double other = seconds(CapturePhase::ReadBack) + seconds(CapturePhase::Encoder) +
                   seconds(CapturePhase::Files);
    seconds_[static_cast<int>(CapturePhase::Drawing)] =
        showLoopSeconds > other ? showLoopSeconds - other : 0;
}

std::string CaptureProfile::report() const {
    static const char* const kNames[] = {"music", "drawing", "finishing frames and read-back",
                                         "waiting for the encoder", "writing PNG files"};
    static const CapturePhase kOrder[] = {CapturePhase::Drawing, CapturePhase::ReadBack,
                                          CapturePhase::Encoder, CapturePhase::Files,
                                          CapturePhase::Music};
    std::string line = "wall time:";
    const char* separator = " ";
    for (CapturePhase phase : kOrder) {
        bool always = phase == CapturePhase::Drawing || phase == CapturePhase::ReadBack;
        if (!always && seconds(phase) < 0.005) continue;
        char part[96];
        std::snprintf(part, sizeof part, "%s%s %.2f s", separator, kNames[static_cast<int>(phase)],
                      seconds(phase));
        line += part;
        separator = ", ";
    }
    return line;
}
