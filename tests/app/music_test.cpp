// Tests of the music position record, its callback and the driver's music stage.
#include "app/music.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "app/clock.h"
#include "platform/platform.h"

namespace {

// Puts the record and the clock back the way a fresh show has them.
class MusicTest : public testing::Test {
  protected:
    void SetUp() override { reset(); }
    void TearDown() override {
        stopMusic();
        reset();
    }
    static void reset() {
        setMusicPosition(0, 0);
        syncTime = 0.0f;
        clockStartTick = -1.0f;
    }
};

// A silent Impulse Tracker module of `orders` empty 64-row patterns; speed 1 at tempo 255
// makes a row last 9.8 ms, an order 627 ms.
std::string writeSilentModule(int orders) {
    std::vector<uint8_t> b(192, 0);
    std::memcpy(&b[0], "IMPM", 4);
    b[0x20] = orders + 1;  // order list length, end marker included
    b[0x26] = 1;           // one pattern, stored nowhere: an empty 64-row pattern
    b[0x28] = b[0x2A] = 0x14;
    b[0x29] = b[0x2B] = 0x02;
    b[0x2C] = 9;
    b[0x30] = 128;
    b[0x31] = 48;
    b[0x32] = 1;
    b[0x33] = 255;
    for (int c = 0; c < 64; ++c) b[0x40 + c] = c == 0 ? 32 : 160;
    for (int o = 0; o < orders; ++o) b.push_back(0);
    b.push_back(255);
    b.insert(b.end(), 4, 0);  // the pattern's offset
    const std::string path = testing::TempDir() + "silent-module.it";
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    return path;
}

TEST_F(MusicTest, PositionCallbackSplitsRowFromOrder) {
    onMusicPosition(0, 0, 64 * 65536 + 32);
    EXPECT_EQ(musicRow.load(), 64);
    EXPECT_EQ(musicOrder.load(), 32);
    onMusicPosition(0, 0, 7);
    EXPECT_EQ(musicRow.load(), 0);
    EXPECT_EQ(musicOrder.load(), 7);
    // Both halves are unsigned 16-bit: no sign comes in from the top bit.
    onMusicPosition(0, 0, 0xFFFFFFFFu);
    EXPECT_EQ(musicRow.load(), 65535);
    EXPECT_EQ(musicOrder.load(), 65535);
}

// The frame loops read order and row together while the audio thread moves the position on.
// Whenever they read, the pair must be one that was reported: order 32 with the row of a later
// position would light the closing fade's last frame at full brightness.
TEST_F(MusicTest, AReaderSeesOnlyPositionsThatWereReported) {
    // Position k is order k, row k: a pair whose halves differ was never reported.
    long torn = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < until && torn == 0) {
        onMusicPosition(0, 0, 0);
        std::atomic<bool> done{false};
        std::thread reader([&] {
            while (!done.load()) {
                const MusicPosition at = musicPosition();
                if (at.order != at.row) ++torn;
            }
        });
        for (uint32_t k = 1; k <= 0xFFFF; ++k) onMusicPosition(0, 0, k << 16 | k);
        done = true;
        reader.join();
    }
    EXPECT_EQ(torn, 0);
}

TEST_F(MusicTest, SyncTimeFollowsTheShowClockOnceItHasStarted) {
    syncTime = 9.0f;
    onMusicPosition(0, 0, 1);
    EXPECT_EQ(syncTime.load(), 0.0f) << "before the first clock update";
    EXPECT_EQ(clockStartTick, -1.0f) << "the callback never touches the clock";

    clockStartTick = static_cast<float>(platformTicks()) - 1500.0f;
    onMusicPosition(0, 0, 2);
    EXPECT_GE(syncTime.load(), 1.5f);
    EXPECT_LT(syncTime.load(), 1.6f);
}

TEST_F(MusicTest, MissingModuleIsReportedByName) {
    const std::string path = testing::TempDir() + "missing/qua#v3n.it";
    const std::string error = startMusic(path.c_str());
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_EQ(musicOrder.load(), 0);
    stopMusic();  // the driver's failure path stops the music it never started
}

TEST_F(MusicTest, PlayingModuleAdvancesThePositionUntilStopped) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string path = writeSilentModule(3);
    ASSERT_EQ(startMusic(path.c_str()), "");
    // The clock starts as play does: starting SDL's audio loads its drivers' libraries, which
    // takes a busy machine a good part of the tolerance below.
    clockStartTick = static_cast<float>(platformTicks());
    const auto start = std::chrono::steady_clock::now();
    while (musicOrder.load() < 1 &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(musicOrder.load(), 1);
    EXPECT_NEAR(seconds, 64 * 2.5 / 255, 0.05);
    EXPECT_NEAR(syncTime.load(), seconds, 0.05);

    stopMusic();
    const int32_t row = musicRow.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_EQ(musicRow.load(), row) << "the position moved after the stop";
    stopMusic();
}

}  // namespace
