// The encoder's feed: frames reach the encoder whole and in order, a full ring holds the show back,
// and an encoder that dies never leaves the show waiting; the encoder's process and how it ended.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <mutex>
#include <vector>

#include "tools/capture/feed.h"
#include "tools/capture/process.h"
#include "tools/capture/yuv.h"

namespace {

constexpr int kWidth = 4, kHeight = 2, kSlots = 4;

// An encoder whose writes wait at a gate the test opens; it keeps the first luma byte of every
// frame, and fails every write once told to.
class GatedWriter : public FrameWriter {
  public:
    bool write(const void* data, size_t bytes) override {
        std::unique_lock<std::mutex> lock(mutex_);
        ++entered_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_ || failing_; });
        if (failing_) return false;
        EXPECT_EQ(bytes, yuv420Bytes(kWidth, kHeight));
        lumas.push_back(*static_cast<const uint8_t*>(data));
        return true;
    }
    void open(bool fail) {
        std::lock_guard<std::mutex> lock(mutex_);
        (fail ? failing_ : open_) = true;
        changed_.notify_all();
    }
    // Waits until the writer has been handed its first frame.
    void awaitFirstWrite() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return entered_ > 0; });
    }
    std::vector<uint8_t> lumas;

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int entered_ = 0;
    bool open_ = false, failing_ = false;
};

// A grey frame: each level has its own luma.
std::vector<uint8_t> grey(uint8_t level) {
    return std::vector<uint8_t>(kWidth * kHeight * 4, level);
}

// Pushes on a thread of its own; the result is ready once the push returns.
std::future<bool> pushAsync(EncoderFeed& feed, const std::vector<uint8_t>& frame) {
    return std::async(std::launch::async, [&feed, &frame] { return feed.push(frame.data()); });
}

// A push that never returns would hang the test program; end it with a failure instead.
bool returnsSoon(std::future<bool>& pushed) {
    if (pushed.wait_for(std::chrono::seconds(10)) == std::future_status::ready) return true;
    std::fprintf(stderr, "a push still waits 10 s after the encoder stopped\n");
    std::_Exit(1);
}

TEST(CaptureFeed, AFullRingHoldsThePushUntilASlotIsFreeAndLosesNoFrame) {
    GatedWriter writer;
    EncoderFeed feed;
    ASSERT_TRUE(feed.start(writer, kWidth, kHeight, kSlots));
    // The writer holds frame 0 at its gate; frames 1 to 4 fill the ring.
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i <= kSlots + 1; ++i) frames.push_back(grey(static_cast<uint8_t>(40 * i)));
    ASSERT_TRUE(feed.push(frames[0].data()));
    writer.awaitFirstWrite();
    for (int i = 1; i <= kSlots; ++i) ASSERT_TRUE(feed.push(frames[i].data()));
    std::future<bool> last = pushAsync(feed, frames[kSlots + 1]);
    EXPECT_EQ(last.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout)
        << "a push into a full ring returned at once";
    writer.open(false);
    ASSERT_TRUE(returnsSoon(last));
    EXPECT_TRUE(last.get());
    EXPECT_TRUE(feed.finish());
    std::vector<uint8_t> want;
    for (const std::vector<uint8_t>& frame : frames) {
        std::vector<uint8_t> yuv(yuv420Bytes(kWidth, kHeight));
        convertToYuv420(frame.data(), kWidth, kHeight, yuv.data());
        want.push_back(yuv[0]);
    }
    EXPECT_EQ(writer.lumas, want) << "frames lost, repeated or out of order";
}

TEST(CaptureFeed, AnEncoderThatDiesReleasesAWaitingPush) {
    GatedWriter writer;
    EncoderFeed feed;
    ASSERT_TRUE(feed.start(writer, kWidth, kHeight, kSlots));
    std::vector<uint8_t> frame = grey(100);
    ASSERT_TRUE(feed.push(frame.data()));
    writer.awaitFirstWrite();
    for (int i = 0; i < kSlots; ++i) ASSERT_TRUE(feed.push(frame.data()));
    std::future<bool> waiting = pushAsync(feed, frame);
    writer.open(true);
    ASSERT_TRUE(returnsSoon(waiting));
    EXPECT_FALSE(waiting.get()) << "a frame was taken after the encoder stopped";
    EXPECT_FALSE(feed.push(frame.data()));
    EXPECT_FALSE(feed.finish());
}

// Only an exit with code 0 is success; any other end is named. The program leads a process
// group of its own, out of reach of the signals a terminal sends to the capture's group.
TEST(EncoderProcess, OnlyCodeZeroIsSuccessAndTheProgramHasAGroupOfItsOwn) {
    ignoreBrokenPipes();
    const struct {
        const char* script;
        bool ok;
        const char* how;
    } cases[] = {
        {"cat >/dev/null", true, ""},
        {"cat >/dev/null; exit 3", false, "exited with code 3"},
        {"kill -9 $$", false, "was killed by signal 9"},
        {"read -r a b c d group rest </proc/$$/stat; cat >/dev/null; [ \"$group\" = $$ ]", true,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        EncoderProcess encoder;
        std::string error;
        ASSERT_TRUE(encoder.start({"sh", "-c", c.script}, &error)) << error;
        encoder.write("frame", 5);
        error.clear();
        EXPECT_EQ(encoder.finish(&error), c.ok);
        EXPECT_EQ(error, c.how);
    }
    EncoderProcess missing;
    std::string error;
    EXPECT_FALSE(missing.start({"no-such-encoder-here"}, &error));
    EXPECT_NE(error.find("no-such-encoder-here"), std::string::npos) << error;
}

}  // namespace
