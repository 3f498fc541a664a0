// The music stage of the driver and the position callback that times the show.
#include "app/music.h"

#include <utility>

#include "app/clock.h"
#include "platform/audio.h"
#include "platform/platform.h"

std::atomic<uint32_t> musicPositionWord{0};
std::atomic<float> syncTime{0.0f};

void resetMusicPosition() {
    musicPositionWord = 0;
    syncTime = 0.0f;
}

void onMusicPosition(uint32_t, uint32_t, uint32_t data) {
    musicPositionWord.store(data);
    const uint32_t tick = platformTicks();
    // The clock's start tick is written once, by the main thread's first clock update.
    const float startTick = clockStartTick;
    if (startTick == -1.0f)
        syncTime.store(0.0f);
    else
        syncTime.store(static_cast<float>((static_cast<double>(tick) - startTick) * 0.001));
}

void setMusicPosition(int32_t order, int32_t row) {
    musicPositionWord.store(packPosition(order, row));
}

void startMusicSync(uint32_t handle) {
    audioSetPositionSync(handle, onMusicPosition);
}

namespace {

std::string heldModulePath;
std::vector<uint8_t> heldModule;

}  // namespace

const std::vector<uint8_t>& showModule(const char* modulePath, std::string* error) {
    error->clear();
    if (heldModulePath != modulePath || heldModule.empty()) {
        heldModulePath.clear();
        *error = readMusicFile(modulePath, heldModule);
        if (error->empty())
            heldModulePath = modulePath;
        else
            heldModule.clear();
    }
    return heldModule;
}

void adoptShowModule(const char* modulePath, std::vector<uint8_t>&& bytes) {
    heldModulePath = modulePath;
    heldModule = std::move(bytes);
}

std::string startMusic(const char* modulePath) {
    return startMusicAt(modulePath, 0, 0);
}

std::string startMusicAt(const char* modulePath, int order, int row) {
    audioVersion();
    audioInit();
    uint32_t handle = 0;
    std::string error;
    const std::vector<uint8_t>& bytes = showModule(modulePath, &error);
    if (error.empty())
        error = audioLoadMusicMemory(bytes.data(), bytes.size(), modulePath, &handle);
    if (!error.empty()) {
        audioFree();
        return error;
    }
    if ((order != 0 || row != 0) && !audioSeek(handle, order, row)) {
        audioFree();
        return std::string("cannot start the music in ") + modulePath + " at order " +
               std::to_string(order) + " row " + std::to_string(row) + "\n";
    }
    audioStart();
    startMusicSync(handle);
    audioPlay(handle);
    return std::string();
}

void stopMusic() {
    audioStop();
    audioFree();
}
