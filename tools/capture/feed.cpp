// The encoder's feed thread: a ring of RGBA frames drained into the encoder's pipe as YUV 4:2:0.
#include "tools/capture/feed.h"

#include <cstring>
#include <new>

#include "tools/capture/yuv.h"

bool EncoderFeed::start(FrameWriter& encoder, int width, int height, int slots) {
    encoder_ = &encoder;
    width_ = width;
    height_ = height;
    try {
        slots_.assign(static_cast<size_t>(slots),
                      std::vector<uint8_t>(static_cast<size_t>(width) * height * 4));
        yuv_.resize(yuv420Bytes(width, height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    head_ = queued_ = 0;
    closing_ = failed_ = false;
    thread_ = std::thread(&EncoderFeed::writeFrames, this);
    return true;
}

bool EncoderFeed::push(const uint8_t* rgba) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return failed_ || queued_ < slots_.size(); });
    if (failed_) return false;
    // The slot past the queue is free and the writer does not touch it until it is counted in.
    std::vector<uint8_t>& slot = slots_[(head_ + queued_) % slots_.size()];
    lock.unlock();
    std::memcpy(slot.data(), rgba, slot.size());
    lock.lock();
    ++queued_;
    changed_.notify_all();
    return true;
}

void EncoderFeed::writeFrames() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return queued_ > 0 || closing_; });
        if (queued_ == 0) return;  // closing, and everything is sent
        const std::vector<uint8_t>& slot = slots_[head_];
        lock.unlock();
        convertToYuv420(slot.data(), width_, height_, yuv_.data());
        lock.lock();
        // The slot is free as soon as it is converted; the write works on the writer's copy.
        head_ = (head_ + 1) % slots_.size();
        --queued_;
        changed_.notify_all();
        lock.unlock();
        const bool written = encoder_->write(yuv_.data(), yuv_.size());
        lock.lock();
        if (!written) {
            failed_ = true;
            queued_ = 0;
            changed_.notify_all();
            return;
        }
    }
}

bool EncoderFeed::finish() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    return !failed_;
}
