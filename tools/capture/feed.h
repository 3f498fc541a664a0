// The encoder's feed: frames handed over by the show, converted and written to the encoder on a
// thread of their own, so that drawing the next frame never waits for the pipe.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/capture/process.h"

class EncoderFeed {
  public:
    EncoderFeed() = default;
    EncoderFeed(const EncoderFeed&) = delete;
    EncoderFeed& operator=(const EncoderFeed&) = delete;
    ~EncoderFeed() { finish(); }

    // Sets up `slots` frame buffers of width x height RGBA and starts the writer thread, which
    // sends every frame to `encoder` as YUV 4:2:0, in the order pushed. False when the memory
    // cannot be had.
    bool start(FrameWriter& encoder, int width, int height, int slots);
    bool running() const { return thread_.joinable(); }
    // Copies one bottom-up RGBA frame in, waiting while every slot is still queued. False once the
    // encoder has stopped taking frames (nothing more is queued then).
    bool push(const uint8_t* rgba);
    // Sends what is queued and stops the thread. False when a write failed.
    bool finish();

  private:
    void writeFrames();

    FrameWriter* encoder_ = nullptr;
    int width_ = 0, height_ = 0;
    std::vector<std::vector<uint8_t>> slots_;  // RGBA frames, used round-robin
    std::vector<uint8_t> yuv_;                 // the writer's converted frame
    size_t head_ = 0, queued_ = 0;             // next slot to write; slots waiting
    bool closing_ = false, failed_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
};
