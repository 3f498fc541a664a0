// A private PulseAudio server with a null sink, a recorder of its monitor and a click-track module.
#include "tests/support/sound_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

// The data generator's module writer, compiled into this file: the test library has no other copy.
#include "tools/datagen/music_it.cpp"
#include "platform/audio.h"

extern char** environ;

namespace {

constexpr int kRate = 44100;

// Whether `program` is found on PATH.
bool onPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t at = 0;
    while (at <= dirs.size()) {
        size_t end = dirs.find(':', at);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate = dirs.substr(at, end - at) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        at = end + 1;
    }
    return false;
}

// Starts `argv` with its standard output on `*outFd` (a pipe) when outFd is given, else on
// /dev/null; standard error is kept. Returns the child's id, or -1 with *error.
pid_t spawn(const std::vector<std::string>& args, int* outFd, std::string* error) {
    if (!onPath(args[0].c_str())) {
        *error = "the program " + args[0] + " is not installed (scripts/setup.sh installs it)";
        return -1;
    }
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int fds[2] = {-1, -1};
    if (outFd) {
        if (pipe2(fds, O_CLOEXEC) != 0) {
            *error = std::string("cannot make a pipe: ") + std::strerror(errno);
            return -1;
        }
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (outFd) {
        close(fds[1]);
        if (rc == 0)
            *outFd = fds[0];
        else
            close(fds[0]);
    }
    if (rc != 0) {
        *error = "cannot start " + args[0] + ": " + std::strerror(rc);
        return -1;
    }
    return pid;
}

}  // namespace

bool SoundServer::start(std::string* error) {
    char folder[] = "/tmp/show-pulse.XXXXXX";
    if (!mkdtemp(folder)) {
        *error = std::string("cannot make a folder for the sound server: ") + std::strerror(errno);
        return false;
    }
    dir_ = folder;
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    const std::string socket = dir_ + "/pulse/native";
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    pid_ = spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                  "--log-target=stderr", "--log-level=error", "--disable-shm=true",
                  "--load=module-null-sink sink_name=show", "--load=module-native-protocol-unix"},
                 nullptr, error);
    if (pid_ < 0) return false;
    for (int i = 0; i < 500; ++i) {
        struct stat st;
        if (stat(socket.c_str(), &st) == 0) return true;
        int status;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            *error = "pulseaudio exited at start-up (its messages are above)";
            return false;
        }
        usleep(10000);
    }
    *error = "pulseaudio made no socket at " + socket + " within 5 s";
    stop();
    return false;
}

void SoundServer::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
    if (!dir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
        dir_.clear();
    }
}

bool MonitorRecorder::start(std::string* error) {
    pid_ = spawn({"parec", "-d", "show.monitor", "--format=s16le", "--rate=44100", "--channels=2",
                  "--raw", "--latency-msec=2"},
                 &fd_, error);
    if (pid_ < 0) return false;
    reader_ = std::thread([this] { readLoop(); });
    return true;
}

void MonitorRecorder::readLoop() {
    std::vector<int16_t> block(2 * 4096);
    size_t pending = 0;  // bytes of a partial frame carried to the next read
    for (;;) {
        const ssize_t n =
            read(fd_, reinterpret_cast<char*>(block.data()) + pending, block.size() * 2 - pending);
        const SteadyTime now = std::chrono::steady_clock::now();
        if (n <= 0) break;
        const size_t bytes = pending + static_cast<size_t>(n);
        const size_t frames = bytes / 4;
        std::lock_guard<std::mutex> lock(mutex_);
        for (size_t i = 0; i < frames; ++i) left_.push_back(block[2 * i]);
        const SteadyTime start =
            now - std::chrono::nanoseconds(static_cast<int64_t>(left_.size()) * 1000000000 / kRate);
        blocks_.push_back({static_cast<int64_t>(left_.size()), start});
        pending = bytes % 4;
        std::memmove(block.data(), reinterpret_cast<char*>(block.data()) + frames * 4, pending);
    }
}

void MonitorRecorder::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
    if (reader_.joinable()) reader_.join();
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

int64_t MonitorRecorder::frames() {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int64_t>(left_.size());
}

std::vector<SteadyTime> MonitorRecorder::clickTimes() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<SteadyTime> clicks;
    const int64_t quietNeeded = kRate / 20;
    int64_t quiet = quietNeeded;
    for (size_t i = 0; i < left_.size(); ++i) {
        if (std::abs(left_[i]) < 2000) {
            ++quiet;
            continue;
        }
        if (quiet >= quietNeeded) {
            SteadyTime origin = SteadyTime::max();
            for (const Block& b : blocks_)
                if (std::abs(b.endFrame - static_cast<int64_t>(i)) < kRate / 2)
                    origin = std::min(origin, b.origin);
            clicks.push_back(
                origin + std::chrono::nanoseconds(static_cast<int64_t>(i) * 1000000000 / kRate));
        }
        quiet = 0;
    }
    return clicks;
}

std::vector<uint8_t> clickTrackModule(int orders, int clickEvery) {
    it::Module m;
    m.title = "click track";
    m.initialSpeed = 3;
    m.initialTempo = 125;
    m.mixVolume = 128;
    m.channelPan = {32};
    m.channelVolume = {64};
    it::Sample click;
    click.name = "click";
    click.pcm.assign(24, 30000);  // half a millisecond at full level: a sharp edge, no tail
    m.samples.push_back(click);
    it::Pattern p(64, 1);
    for (int row = 0; row < 64; row += clickEvery) {
        p.at(row, 0).note = 60;
        p.at(row, 0).sample = 1;
    }
    m.patterns.push_back(p);
    m.orders.assign(static_cast<size_t>(orders), 0);
    std::vector<uint8_t> bytes;
    std::string error;
    if (!it::encodeModule(m, &bytes, &error)) bytes.clear();
    return bytes;
}

namespace {

constexpr int kMaxReceived = 4096;
std::atomic<int> receivedCount{0};
ReceivedReport received[kMaxReceived];

void onReport(uint32_t, uint32_t, uint32_t data) {
    const int i = receivedCount.load();
    if (i >= kMaxReceived) return;
    received[i] = {std::chrono::steady_clock::now(), static_cast<int32_t>(data & 0xFFFF),
                   static_cast<int32_t>(data >> 16)};
    receivedCount.store(i + 1);
}

}  // namespace

bool measureHeardOffsets(int orders, std::vector<ReceivedReport>* reports,
                         std::vector<double>* offsetsMs, std::string* error) {
    SoundServer server;
    if (!server.start(error)) return false;
    const std::vector<uint8_t> bytes = clickTrackModule(orders, kClickEvery);
    char path[] = "/tmp/show-clicks.XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        *error = std::string("cannot write the click track: ") + std::strerror(errno);
        return false;
    }
    close(fd);
    MonitorRecorder recorder;
    if (!recorder.start(error)) return false;
    // The recorder is running once its first frames arrive.
    for (int i = 0; i < 300 && recorder.frames() == 0; ++i) usleep(10000);

    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    receivedCount = 0;
    audioInit();
    const bool silent = audioIsSilent();
    uint32_t handle = 0;
    if (!silent) {
        const std::string why = audioLoadMusic(path, &handle);
        if (!why.empty() && error) *error = why;
    }
    if (handle != 0) {
        audioStart();
        audioSetPositionSync(handle, onReport);
        audioPlay(handle);
        const auto songEnd =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(orders * 64 * 60 + 500);
        while (std::chrono::steady_clock::now() < songEnd) usleep(20000);
    }
    audioStop();
    audioFree();
    recorder.stop();
    unlink(path);
    if (silent) {
        *error = "the player did not open PulseAudio's null sink (see the message above)";
        return false;
    }
    if (handle == 0) return false;

    reports->assign(received, received + receivedCount.load());
    const std::vector<SteadyTime> clicks = recorder.clickTimes();
    offsetsMs->clear();
    size_t clickRows = 0;
    for (const ReceivedReport& r : *reports) {
        if (r.order >= orders || r.row % kClickEvery != 0) continue;
        if (clickRows < clicks.size())
            offsetsMs->push_back(
                std::chrono::duration<double, std::milli>(r.when - clicks[clickRows]).count());
        ++clickRows;
    }
    // The counts differ only where the server was starved long enough for the device to
    // stall (the player says so on standard error): then the song went on silently for a
    // while, or the server split a click, and the pairs after that point are not to be trusted.
    if (clicks.empty()) {
        *error = "no click was recorded from the server's monitor";
        return false;
    }
    return true;
}
