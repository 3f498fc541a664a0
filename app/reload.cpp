// Watches the data folder's files by modification time and reloads those that change.
#include "app/reload.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/assets.h"
#include "app/datafiles.h"
#include "app/music.h"
#include "app/overlay.h"
#include "app/seek.h"
#include "assets/dataset.h"
#include "platform/audio.h"

namespace {

struct WatchedFile {
    std::string name;
    std::string path;
    std::filesystem::path fsPath;  // built once, so a check allocates nothing
    bool present = false;
    std::filesystem::file_time_type mtime{};
    std::uintmax_t size = 0;
};

std::vector<WatchedFile> watched;
std::chrono::steady_clock::time_point lastCheck;
bool assetsReplaced = false;  // since takeAssetsReplaced last asked

// Takes the file's current time and size; true when they differ from the recorded ones.
bool changed(WatchedFile& f) {
    std::error_code error;
    const auto mtime = std::filesystem::last_write_time(f.fsPath, error);
    const bool present = !error;
    const std::uintmax_t size = present ? std::filesystem::file_size(f.fsPath, error) : 0;
    const bool differs = present != f.present || (present && (mtime != f.mtime || size != f.size));
    f.present = present;
    if (present) {
        f.mtime = mtime;
        f.size = size;
    }
    return differs;
}

// Reloads one changed file; true when its asset was replaced.
bool reload(const WatchedFile& f) {
    if (!f.present)
        return false;  // removed: keep what is loaded; a new copy is taken when it returns
    std::string error;
    if (f.name == kModuleFile) {
        // A module that reads and can play the current position is taken by restarting the
        // show there, from the very bytes checked; any other leaves the playing music alone.
        std::vector<uint8_t> bytes;
        OfflineMusic check;
        const MusicPosition at = musicPosition();
        error = readMusicFile(f.path.c_str(), bytes);
        if (error.empty()) error = check.openMemory(bytes.data(), bytes.size(), f.path.c_str());
        if (error.empty()) {
            const std::string why = checkShowPosition(check, at);
            if (!why.empty())
                error = "the music in " + f.path + " cannot play on from here: " + why +
                        "; the old music plays on";
        }
        if (error.empty()) {
            adoptShowModule(f.path.c_str(), std::move(bytes));
            forgetSeekTimeline();
            requestRestart(at);
        } else {
            error += "\n";
        }
    } else
        error = reloadDataFile(f.name.c_str());
    if (error.empty()) {
        std::fprintf(stderr, "dev: reloaded %s\n", f.path.c_str());
        setOverlayMessage(("reloaded " + f.name).c_str());
        return true;
    }
    std::fprintf(stderr, "dev: %s", error.c_str());
    setOverlayMessage(error.c_str());
    return false;
}

}  // namespace

void startDataReload() {
    watched.clear();
    for (int i = 0; i <= kDataFileCount; ++i) {
        WatchedFile f;
        f.name = i < kDataFileCount ? kDataFiles[i] : kFileFont;
        f.path = dataPath(f.name.c_str());
        f.fsPath = std::filesystem::u8path(f.path);
        changed(f);
        watched.push_back(f);
    }
    lastCheck = std::chrono::steady_clock::now();
}

bool pollDataReload() {
    const auto t = std::chrono::steady_clock::now();
    if (t - lastCheck < std::chrono::milliseconds(250)) return false;
    lastCheck = t;
    return checkDataFilesNow();
}

bool checkDataFilesNow() {
    bool replaced = false;
    for (WatchedFile& f : watched)
        if (changed(f) && reload(f)) replaced = true;
    if (replaced) assetsReplaced = true;
    return replaced;
}

bool takeAssetsReplaced() {
    const bool was = assetsReplaced;
    assetsReplaced = false;
    return was;
}
