// A private PulseAudio server with a null sink, a recorder of its monitor and a click-track module.
#pragma once
#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using SteadyTime = std::chrono::steady_clock::time_point;

// A `pulseaudio` process of our own in a private runtime folder, with one null sink named
// "show" as the default sink. While it runs, XDG_RUNTIME_DIR and PULSE_SERVER point at it, so
// SDL's "pulseaudio" driver and `parec` started from this process use it.
class SoundServer {
  public:
    ~SoundServer() { stop(); }
    // Starts the server; false with *error naming what is missing or what failed.
    bool start(std::string* error);
    // Stops the server (if still running) and removes its folder.
    void stop();
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    std::string dir_;
};

// Records the null sink's monitor with `parec` and stamps each block as it arrives, so every
// recorded frame has a steady-clock time.
class MonitorRecorder {
  public:
    ~MonitorRecorder() { stop(); }
    // Starts `parec`; false with *error naming what failed.
    bool start(std::string* error);
    // Stops recording; the frames and their times stay readable.
    void stop();
    // Frames recorded so far.
    int64_t frames();
    // Steady-clock times of the clicks recorded: each start of sound after 50 ms of silence.
    // Each is timed by the blocks received within half a second of it.
    std::vector<SteadyTime> clickTimes();

  private:
    void readLoop();

    pid_t pid_ = -1;
    int fd_ = -1;
    std::thread reader_;
    std::mutex mutex_;
    std::vector<int16_t> left_;  // the left channel of every frame recorded
    // For each block received: the frames recorded up to its end, and the time frame 0 would
    // have had if the block came with no delay (arrival time - those frames / rate). Blocks
    // come late by varying amounts, so the earliest such time among the blocks near a frame
    // times it; only near ones, as the server's clock runs a little off the steady clock.
    struct Block {
        int64_t endFrame;
        SteadyTime origin;
    };
    std::vector<Block> blocks_;
};

// An Impulse Tracker module of `orders` 64-row patterns at speed 3, tempo 125 (a row every
// 60 ms), sounding a short sharp click on every row that is a multiple of `clickEvery`.
std::vector<uint8_t> clickTrackModule(int orders, int clickEvery);

// One position report as a listener received it.
struct ReceivedReport {
    SteadyTime when;
    int32_t order;
    int32_t row;
};

constexpr int kClickEvery = 4;  // rows between clicks in the measured click track

// Plays a click track of `orders` orders through the real-time player into a private
// PulseAudio server and records its monitor. Fills *reports with every position report
// received, and *offsetsMs with, for each click heard, its row's report arrival time minus
// the click's time (positive: the report came late), pairing clicks and click rows in turn.
// False with *error naming what failed, or when no click was recorded.
bool measureHeardOffsets(int orders, std::vector<ReceivedReport>* reports,
                         std::vector<double>* offsetsMs, std::string* error);
