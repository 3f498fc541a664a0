// Wall time of the capture's phases, summed over a run, for the line that tells where it went.
#pragma once
#include <chrono>
#include <string>

enum class CapturePhase { Music, Drawing, ReadBack, Encoder, Files, Count };

class CaptureProfile {
  public:
    using Clock = std::chrono::steady_clock;

    // Times one stretch of a phase: from construction to destruction.
    class Scope {
      public:
        Scope(CaptureProfile& profile, CapturePhase phase)
            : profile_(profile), phase_(phase), start_(Clock::now()) {}
        ~Scope() {
            profile_.add(phase_, std::chrono::duration<double>(Clock::now() - start_).count());
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

      private:
        CaptureProfile& profile_;
        CapturePhase phase_;
        Clock::time_point start_;
    };

    void add(CapturePhase phase, double seconds) { seconds_[static_cast<int>(phase)] += seconds; }
    double seconds(CapturePhase phase) const { return seconds_[static_cast<int>(phase)]; }
    // Everything in the show loop that was not read-back, encoder or file time was drawing.
    void setDrawingFromShowLoop(double showLoopSeconds);
    // "wall time: drawing 80.1 s, finishing frames and read-back 9.0 s, ..." with only the phases
    // that took time.
    std::string report() const;

  private:
    double seconds_[static_cast<int>(CapturePhase::Count)] = {};
};
