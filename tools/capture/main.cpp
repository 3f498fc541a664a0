// The capture tool: the show on a virtual clock, each frame read back, the music rendered in
// step, written as an MP4, PNG frames, stills or WAV.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/datafiles.h"
#include "app/driver.h"
#include "app/music.h"
#include "app/seek.h"
#include "app/timeline.h"
#include "app/window.h"
#include "platform/audio.h"
#include "tools/capture/readback.h"
#include "platform/platform.h"
#include "render/device.h"
#include "tools/capture/feed.h"
#include "tools/capture/options.h"
#include "tools/capture/outputs.h"
#include "tools/capture/process.h"
#include "tools/capture/profile.h"
#include "tools/capture/track.h"
#include "tools/capture/yuv.h"

namespace {

using Clock = std::chrono::steady_clock;

// Frames the show may run ahead of the encoder's feed.
constexpr int kFeedSlots = 4;

// What was playing when a frame was presented; its pixels reach onFrame one swap later.
struct FrameNote {
    int order = 0, row = 0;
};

struct Capture {
    CaptureOptions options;
    Track track;
    size_t nextReport = 0;
    TemporaryFile audioTemp;  // the music, for the encoder to read; outlives the encoder below
    TemporaryFile videoTemp;  // the encoder's file, renamed to --output once it is finished
    // The other files the user named, each renamed into place only when the run has gone well
    // (the timeline and the stills taken also when it was cut short).
    TemporaryFile audioOut, timelineOut;
    std::unique_ptr<TemporaryFile[]> shotOut;  // one for each --shot, in order
    EncoderProcess encoder;   // ffmpeg, reading the frames on its standard input
    EncoderFeed feed;         // hands the frames to the encoder from a thread of its own
    FILE* timeline = nullptr;
    bool progressIsTerminal = false;
    bool writeVideo = false, writeFrames = false, writeAudio = false;
    size_t shotsLeft = 0;
    Clock::time_point started, lastProgress;
    std::string failure;
    bool quitPosted = false;   // the capture ended the show itself (done or failed)
    bool interrupted = false;  // a signal or a quit from outside ended it early
    FrameNote notes[2];        // frame k's in notes[k % 2]
    uint64_t framesWritten = 0;
    FrameNote lastWritten;  // the position of the last frame handed on
    CaptureProfile profile;
};

// Renders the module from its start until `untilOrder` begins or the song ends.
double showSeconds(const Capture& c) {
    return static_cast<double>(capturedFrames()) / c.options.fps;
}

void printProgress(Capture& c, bool final) {
    Clock::time_point t = Clock::now();
    // A terminal gets a bar redrawn in place; a log gets a line every ten seconds.
    auto every = c.progressIsTerminal ? std::chrono::milliseconds(250) : std::chrono::seconds(10);
    if (!final && t - c.lastProgress < every) return;
    c.lastProgress = t;
    double wall = std::chrono::duration<double>(t - c.started).count();
    double shown = showSeconds(c);
    double total = static_cast<double>(c.track.endFrame) / kMusicSampleRate;
    double fps = wall > 0 ? capturedFrames() / wall : 0;
    double speed = wall > 0 ? shown / wall : 0;
    double left = speed > 0 ? (total - shown) / speed : 0;
    if (final) {
        std::fprintf(stderr,
                     "%scaptured %llu frames: %.2f s of show in %.2f s of wall time (ratio %.2f)"
                     "          \n",
                     c.progressIsTerminal ? "\r" : "",
                     static_cast<unsigned long long>(capturedFrames()), shown, wall,
                     shown > 0 ? wall / shown : 0.0);
        return;
    }
    int width = 24, filled = total > 0 ? static_cast<int>(width * shown / total) : 0;
    if (filled > width) filled = width;
    std::string bar(filled, '#');
    bar.append(width - filled, '-');
    const MusicPosition at = musicPosition();
    std::fprintf(stderr, "%s[%s] order %2d row %3d | frame %6llu | %5.1f fps | %4.0f s left %s",
                 c.progressIsTerminal ? "\r" : "", bar.c_str(), at.order, at.row,
                 static_cast<unsigned long long>(capturedFrames()), fps, left,
                 c.progressIsTerminal ? "" : "\n");
}

// Each presented frame: stills, PNG frames, the video pipe.
void onFrame(uint64_t frameIndex, const uint8_t* rgba, int width, int height, void* user) {
    Capture& c = *static_cast<Capture*>(user);
    int order = c.notes[frameIndex % 2].order, row = c.notes[frameIndex % 2].row;
    ++c.framesWritten;
    c.lastWritten = {order, row};
    if (c.timeline &&
        std::fprintf(c.timeline, "%llu %u %d %d\n", static_cast<unsigned long long>(frameIndex),
                     captureFrameTicks(frameIndex), order, row) < 0 &&
        c.failure.empty())
        c.failure = "cannot write " + c.options.timelinePath + ": " + std::strerror(errno);
    for (size_t i = 0; i < c.options.shots.size(); ++i) {
        ShotRequest& shot = c.options.shots[i];
        if (shot.taken || order < shot.order || (order == shot.order && row < shot.row)) continue;
        shot.taken = true;
        --c.shotsLeft;
        CaptureProfile::Scope timed(c.profile, CapturePhase::Files);
        errno = 0;
        if (!writeFramePng(c.shotOut[i].path(), rgba, width, height))
            c.failure = "cannot write the still " + shot.path +
                        (errno ? std::string(": ") + std::strerror(errno) : std::string());
    }
    if (c.writeFrames) {
        char name[64];
        std::snprintf(name, sizeof name, "/frame-%06llu.png",
                      static_cast<unsigned long long>(frameIndex));
        CaptureProfile::Scope timed(c.profile, CapturePhase::Files);
        if (!writeFramePng(c.options.framesDir + name, rgba, width, height))
            c.failure = "cannot write frames into " + c.options.framesDir;
    }
    if (c.feed.running() && c.failure.empty()) {
        CaptureProfile::Scope timed(c.profile, CapturePhase::Encoder);
        if (width != c.options.width || height != c.options.height)
            c.failure = "the offscreen window came out " + std::to_string(width) + "x" +
                        std::to_string(height) + ", not the size asked for";
        else if (!c.feed.push(rgba))
            c.failure = "the encoder ffmpeg stopped taking frames for " + c.options.output;
    }
    printProgress(c, false);
}

// The capture's music: nothing plays; onAdvance delivers the track's positions frame by frame,
// and a start past the beginning is reached by counting undrawn frames on the same clock.
std::string startCapturedMusic(const char*, MusicPosition start) {
    if (start.order != 0 || start.row != 0) beginFastForward(skipCaptureFrame, nullptr);
    return std::string();
}
void stopCapturedMusic() {}

// Before the next frame: deliver every position whose first sample the clock has passed.
void onAdvance(uint64_t frameIndex, uint32_t nextTicks, void* user) {
    Capture& c = *static_cast<Capture*>(user);
    const MusicPosition shown = musicPosition();
    c.notes[(frameIndex - 1) % 2] = {shown.order, shown.row};  // as frame frameIndex - 1 was shown
    deliverUntilFrame(c.track.reports, &c.nextReport, frameIndex, c.options.fps, nextTicks);
    const int64_t now = static_cast<int64_t>(frameIndex) * kMusicSampleRate;  // frames x fps
    bool done = c.track.endFrame * c.options.fps <= now;  // the stop order has begun
    if (!c.options.shots.empty() && c.shotsLeft == 0 && !c.writeVideo && !c.writeFrames &&
        !c.writeAudio)
        done = true;
    if (c.failure.empty() && captureFailure()[0]) c.failure = captureFailure();
    if (!c.failure.empty()) done = true;
    if (!done && stopSignalled()) c.interrupted = done = true;
    if (done && !c.quitPosted) {
        c.quitPosted = true;
        platformPostQuit();
    }
}

// Starts ffmpeg reading raw frames on its standard input and the music from the temporary WAV.
// Every argument is passed as it is, with no shell; the "file:" prefix keeps a path that begins
// with "-" or looks like a protocol ("http:...") an ordinary file name.
bool startEncoder(Capture& c) {
    const CaptureOptions& o = c.options;
    std::vector<std::string> args;
    // Fixed words are split at spaces; paths and values are always one argument each.
    auto words = [&args](const char* text) {
        std::istringstream in(text);
        for (std::string w; in >> w;) args.push_back(w);
    };
    // Frames come as YUV 4:2:0, top-down, padded to even sides (see yuv.h).
    words("ffmpeg -nostdin -y -loglevel error -f rawvideo -pix_fmt yuv420p -s");
    args.push_back(std::to_string(evenSide(o.width)) + "x" + std::to_string(evenSide(o.height)));
    words("-framerate");
    args.push_back(std::to_string(o.fps));
    words("-i pipe:0 -i");
    args.push_back("file:" + c.audioTemp.path());
    words("-c:v libx264 -preset");
    args.push_back(o.preset);
    // Quality 20.1 rather than 20: the frames' own conversion keeps a little more colour detail
    // than ffmpeg's did, and at 20.1 the whole show's file is again no larger, with as high a
    // structural similarity to the lossless frames.
    words("-crf 20.1 -pix_fmt yuv420p -c:a aac -b:a 192k -shortest -movflags +faststart");
    args.push_back("file:" + c.videoTemp.path());
    std::string error;
    if (c.encoder.start(args, &error)) {
        if (c.feed.start(c.encoder, o.width, o.height, kFeedSlots)) return true;
        c.failure = "out of memory for the encoder's frame buffers";
        return false;
    }
    c.failure = error + "; it encodes " + o.output +
                " (install ffmpeg, or write PNG frames with --frames DIR)";
    return false;
}

// The extension of a path's file name, with its dot ("" when it has none).
std::string extensionOf(const std::string& path) {
    size_t dot = path.find_last_of('.'), slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return path.substr(dot);
}

// The line for a capture that a signal or a quit ended early: where it stopped and what the
// files hold.
std::string interruptionReport(const Capture& c) {
    const CaptureOptions& o = c.options;
    char text[256];
    std::snprintf(text, sizeof text,
                  "interrupted at order %d row %d, %.2f s into the show (the capture was to stop "
                  "at %.2f s, order %d)",
                  c.lastWritten.order, c.lastWritten.row, showSeconds(c),
                  static_cast<double>(c.track.endFrame) / kMusicSampleRate, o.untilOrder);
    std::string line = text;
    std::snprintf(text, sizeof text, "%llu frames (%.2f s)",
                  static_cast<unsigned long long>(c.framesWritten),
                  static_cast<double>(c.framesWritten) / o.fps);
    if (c.framesWritten == 0)
        line += "; nothing was written";
    else if (c.writeVideo)
        line += "; " + o.output + " holds the " + text + " up to there, a short but playable video";
    else if (c.writeFrames)
        line += "; " + o.framesDir + " holds the " + text + " up to there as PNG files";
    if (c.writeAudio) line += "; " + o.audioPath + " was not written";
    for (const ShotRequest& shot : o.shots)
        if (!shot.taken) line += "; the still " + shot.path + " was not reached";
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    // Static, so that the temporary files go even when something calls exit().
    static Capture c;
    ignoreBrokenPipes();    // a dead encoder is reported, not a silent death by SIGPIPE
    ignoreFileSizeLimit();  // so is a file that outgrows the size limit
    // Ctrl-C or SIGTERM ends the files cleanly and is reported; a second one leaves none behind.
    watchStopSignals(removeTemporariesNow);
    std::string error;
    bool help = false;
    if (!parseCaptureOptions(argc, argv, c.options, &error, &help)) {
        std::fprintf(stderr, "demo-capture: %s\n%s", error.c_str(), captureUsage());
        return 2;
    }
    if (help) {
        std::fputs(captureUsage(), stdout);
        return 0;
    }
    CaptureOptions& o = c.options;
    c.writeFrames = !o.framesDir.empty();
    c.writeAudio = !o.audioPath.empty();
    c.writeVideo = !c.writeFrames && (o.outputGiven || (o.shots.empty() && !c.writeAudio));
    c.shotsLeft = o.shots.size();
    // Every path and combination is checked now, not when first used at the end of a long run.
    error = checkCapturePlan(o, c.writeVideo);
    if (!error.empty()) {
        std::fprintf(stderr, "demo-capture: %s\n", error.c_str());
        return 2;
    }
    // Every file is made beside the one it becomes, under a name no file had: a user's files are
    // never touched, and each appears only when it is whole.
    if (c.writeVideo) {
        error = c.audioTemp.create(o.output, ".audio.wav", false);
        if (error.empty()) error = c.videoTemp.create(o.output, extensionOf(o.output), true);
    }
    if (error.empty() && c.writeAudio)
        error = c.audioOut.create(o.audioPath, extensionOf(o.audioPath), true);
    if (error.empty() && !o.timelinePath.empty())
        error = c.timelineOut.create(o.timelinePath, extensionOf(o.timelinePath), true);
    c.shotOut.reset(new TemporaryFile[o.shots.size()]);
    for (size_t i = 0; i < o.shots.size() && error.empty(); ++i)
        error = c.shotOut[i].create(o.shots[i].path, extensionOf(o.shots[i].path), true);
    if (!error.empty()) {
        std::fprintf(stderr, "demo-capture: %s\n", error.c_str());
        return 1;
    }
    c.progressIsTerminal = isatty(2);
    if (!o.timelinePath.empty() && !(c.timeline = std::fopen(c.timelineOut.path().c_str(), "w"))) {
        std::fprintf(stderr, "demo-capture: cannot write %s: %s\n", o.timelinePath.c_str(),
                     std::strerror(errno));
        return 1;
    }

    chooseDataDir(o.dataDir.empty() ? nullptr : o.dataDir.c_str());
    std::string missing = checkDataFiles();
    if (!missing.empty()) {
        std::fprintf(stderr, "demo-capture: %s", missing.c_str());
        return 1;
    }
    if (o.start.order != 0 || o.start.row != 0 || !o.shots.empty()) {
        // A start or a still at a position the module does not have is refused before anything
        // is rendered: a still of it would be of some later position.
        OfflineMusic music;
        if (music.open(dataPath(kModuleFile).c_str()).empty()) {
            std::string why = checkShowPosition(music, o.start);
            if (!why.empty()) {
                std::fprintf(stderr, "demo-capture: --start %d:%d: %s\n", o.start.order,
                             o.start.row, why.c_str());
                return 2;
            }
            for (const ShotRequest& shot : o.shots) {
                why = checkShowPosition(music, MusicPosition{shot.order, shot.row});
                if (!why.empty()) {
                    std::fprintf(stderr, "demo-capture: --shot %d:%d:%s: %s\n", shot.order,
                                 shot.row, shot.path.c_str(), why.c_str());
                    return 2;
                }
            }
        }
    }
    Clock::time_point musicStarted = Clock::now();
    if (!renderTrack(dataPath(kModuleFile), o.untilOrder, c.track, &error)) {
        std::fprintf(stderr, "demo-capture: %s\n", error.c_str());
        return 1;
    }
    c.profile.add(CapturePhase::Music,
                  std::chrono::duration<double>(Clock::now() - musicStarted).count());
    if (!firstFrameAt(o.start, o.fps, c.track)) {
        std::fprintf(stderr,
                     "demo-capture: the capture ends before the first frame of --start %d:%d\n",
                     o.start.order, o.start.row);
        return 2;
    }
    setStartPosition(o.start);
    if (c.writeVideo) {
        const int64_t musicFrames = static_cast<int64_t>(c.track.samples.size() / 2);
        if (!writeWav(c.audioTemp.path(), c.track.samples.data() + 2 * c.track.startFrame,
                      static_cast<size_t>(musicFrames - c.track.startFrame))) {
            std::fprintf(stderr, "demo-capture: cannot write the music for the encoder to %s: %s\n",
                         c.audioTemp.path().c_str(), std::strerror(errno));
            return 1;
        }
        if (!startEncoder(c)) {
            std::fprintf(stderr, "demo-capture: %s\n", c.failure.c_str());
            return 1;
        }
    }
    if (stopSignalled()) {
        std::fprintf(stderr, "demo-capture: interrupted before the first frame; nothing written\n");
        return 128 + stopSignalled();
    }

    setenv("SDL_VIDEODRIVER", "offscreen", 1);                // no display server needed
    setMusicSource({startCapturedMusic, stopCapturedMusic});  // positions: the track above
    beginCapture(o.fps, onFrame, onAdvance, &c);
    gScreenWidth = o.width;
    gScreenHeight = o.height;
    selectRenderer(o.renderer);
    error = platformInit();
    if (error.empty()) error = platformCreateWindow(o.width, o.height, "Windows example title");
    if (!error.empty()) {
        std::fprintf(stderr, "demo-capture: cannot open an offscreen window: %s\n", error.c_str());
        return 1;
    }
    c.started = c.lastProgress = Clock::now();
    // The 3DS reader traces the chunks it walks on standard output; here that would only
    // bury the progress and anything piped from this program, so it is dropped unless asked for.
    StdoutSilencer quiet;
    if (!o.verbose) quiet.begin();
    int code = runDemo(o.width, o.height, 16);
    quiet.end();
    platformShutdown();
    c.profile.add(CapturePhase::ReadBack, captureReadBackSeconds());
    c.profile.setDrawingFromShowLoop(
        std::chrono::duration<double>(Clock::now() - c.started).count());
    printProgress(c, true);

    // The last frame is handed on as the show closes; its loss shows only now.
    if (c.failure.empty() && captureFailure()[0]) c.failure = captureFailure();
    if (code != 0 && c.failure.empty()) c.failure = "the show stopped with the error above";
    // A quit the capture did not post came from outside (a signal through the platform, a
    // closed window): the show did not end by itself.
    if (gQuitRequested && !c.quitPosted) c.interrupted = true;
    if (!c.failure.empty()) c.interrupted = false;
    if (c.encoder.running()) {
        CaptureProfile::Scope timed(c.profile, CapturePhase::Encoder);
        if (!c.feed.finish() && c.failure.empty())
            c.failure = "the encoder ffmpeg stopped taking frames for " + o.output;
        std::string how;
        if (!c.encoder.finish(&how)) {
            if (c.failure.empty()) c.failure = "ffmpeg failed to encode " + o.output;
            c.failure += ": it " + how;
        }
    }
    if (c.timeline) {
        if (std::fclose(c.timeline) != 0 && c.failure.empty())
            c.failure = "cannot write " + o.timelinePath + ": " + std::strerror(errno);
        c.timeline = nullptr;
    }
    // A run that failed or was cut short writes nothing more; only the frames made so far stay,
    // and a video of them when it was cut short.
    const bool complete = c.failure.empty() && !c.interrupted;
    if (complete && c.writeAudio) {
        // The audio runs exactly as long as the frames: frame k ends at (k + 1) / fps.
        const int64_t endSample = static_cast<int64_t>(capturedFrames()) * kMusicSampleRate / o.fps;
        const int64_t frames = endSample - c.track.startFrame;
        if (frames <= 0) {
            c.failure = "no frames were captured, so " + o.audioPath + " was not written";
        } else {
            c.track.samples.resize(static_cast<size_t>(endSample) * 2, 0);
            errno = 0;
            if (!writeWav(c.audioOut.path(), c.track.samples.data() + 2 * c.track.startFrame,
                          static_cast<size_t>(frames)))
                c.failure = "cannot write " + o.audioPath + ": " +
                            std::strerror(errno ? errno : EIO);
        }
    }
    for (const ShotRequest& shot : o.shots)
        if (complete && !shot.taken && c.failure.empty())
            c.failure = "the show ended before order " + std::to_string(shot.order) + " row " +
                        std::to_string(shot.row) + ", so " + shot.path + " was not written";
    // Into place only now that every file is whole; a failed run leaves none of them, and the
    // temporaries go with the program.
    error.clear();
    if (c.failure.empty()) {
        if (c.writeVideo && c.framesWritten > 0) error = c.videoTemp.moveTo(o.output);
        if (error.empty() && complete && c.writeAudio) error = c.audioOut.moveTo(o.audioPath);
        if (error.empty() && !o.timelinePath.empty())
            error = c.timelineOut.moveTo(o.timelinePath);
        for (size_t i = 0; i < o.shots.size() && error.empty(); ++i)
            if (o.shots[i].taken) error = c.shotOut[i].moveTo(o.shots[i].path);
        if (!error.empty()) c.failure = error;
    }
    std::fprintf(stderr, "demo-capture: %s\n", c.profile.report().c_str());
    if (!c.failure.empty()) {
        std::fprintf(stderr, "demo-capture: %s\n", c.failure.c_str());
        return 1;
    }
    if (c.interrupted) {
        std::fprintf(stderr, "demo-capture: %s\n", interruptionReport(c).c_str());
        return stopSignalled() ? 128 + stopSignalled() : 1;  // as a shell reports the signal
    }
    if (c.writeVideo) std::fprintf(stderr, "demo-capture: wrote %s\n", o.output.c_str());
    return 0;
}
