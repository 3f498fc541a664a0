// The capture tool end to end: golden stills, determinism, sync to the music, a playable MP4.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kCapture = std::string(SHOW_BINARY_DIR) + "/demo-capture";
const std::string kGolden = std::string(SHOW_SOURCE_DIR) + "/tests/golden";

// A fresh scratch folder under the build tree.
std::string scratch(const std::string& name) {
    std::string dir = std::string(SHOW_BINARY_DIR) + "/capture-test-" + name;
    std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    return dir;
}

// Runs the capture tool with `args`; returns its exit status.
int capture(const std::string& args) {
    std::string cmd = kCapture + " " + args + " >/dev/null 2>&1";
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Outcome {
    int code = -1;  // exit code, or 128 + the signal that ended it
    std::string out, err;
};

// Counts the lines of a file (0 when it does not exist).
int lineCount(const std::string& path) {
    std::string text = readFile(path);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::vector<std::string> listFolder(const std::string& dir);

// The lines of the timeline a capture in `cwd` is writing: its temporary beside timeline.txt.
int timelineLines(const std::string& cwd) {
    int most = 0;
    for (const std::string& name : listFolder(cwd))
        if (name.rfind("timeline.txt", 0) == 0) most = std::max(most, lineCount(cwd + "/" + name));
    return most;
}

// How a run is stopped, as a terminal does it: `signal` to the capture's whole process group
// once its timeline (--timeline timeline.txt) holds `afterLines` lines, or `afterFileMs` after
// file `afterFile` appeared; with `againAfterMs`, once more that long after.
struct Stop {
    int afterLines = 0;
    std::string afterFile;
    int afterFileMs = 0;
    int signal = SIGINT;
    int againAfterMs = 0;
};

// Runs the capture tool with `args` as its argument vector (no shell) in folder `cwd`, as the
// leader of a process group of its own, with PATH set to `path` when given and files limited to
// `fileLimit` bytes when it is not 0. Its output goes to files beside `cwd`, not in it.
Outcome runCapture(const std::vector<std::string>& args, const std::string& cwd,
                   const char* path = nullptr, Stop stop = Stop(), rlim_t fileLimit = 0) {
    std::vector<char*> argv = {const_cast<char*>(kCapture.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::string outFile = cwd + ".out", errFile = cwd + ".err";
    pid_t pid = fork();
    if (pid == 0) {
        int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(cwd.c_str()) != 0)
            _exit(126);
        if (path) setenv("PATH", path, 1);
        rlimit limit = {fileLimit, fileLimit};
        if (setsid() < 0 || (fileLimit && setrlimit(RLIMIT_FSIZE, &limit) != 0)) _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Outcome run;
    int status = 0;
    const bool stopping = stop.afterLines > 0 || !stop.afterFile.empty();
    while (stopping && pid > 0 && waitpid(pid, &status, WNOHANG) == 0) {
        const bool reached = stop.afterLines > 0 ? timelineLines(cwd) >= stop.afterLines
                                                 : access(stop.afterFile.c_str(), F_OK) == 0;
        if (reached) {
            usleep(stop.afterFileMs * 1000);
            kill(-pid, stop.signal);
            if (stop.againAfterMs > 0) {
                usleep(stop.againAfterMs * 1000);
                kill(-pid, stop.signal);
            }
            break;
        }
        usleep(20000);
    }
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = readFile(outFile);
    run.err = readFile(errFile);
    return run;
}

// The names in a folder.
std::vector<std::string> listFolder(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

bool readPng(const std::string& path, Picture& out) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    out.width = image.width;
    out.height = image.height;
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) != 0;
}

// Output of a shell command.
std::string shell(const std::string& cmd) {
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    return out;
}

TEST(Capture, StillsMatchTheGoldenFrames) {
    // Two moments of every scene and of the closing sequence, at the golden settings.
    std::ifstream list(kGolden + "/shots.txt");
    ASSERT_TRUE(list) << "no tests/golden/shots.txt";
    std::string dir = scratch("golden"), args = "--size 320x240 --fps 15";
    std::vector<std::string> names;
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        int order, row;
        char name[64];
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %d %63s", &order, &row, name), 3);
        names.push_back(name);
        args += " --shot " + std::to_string(order) + ":" + std::to_string(row) + ":" + dir + "/" +
                name + ".png";
    }
    ASSERT_EQ(capture(args), 0);
    for (const std::string& name : names) {
        Picture got, want;
        ASSERT_TRUE(readPng(dir + "/" + name + ".png", got)) << name;
        ASSERT_TRUE(readPng(kGolden + "/" + name + ".png", want)) << name;
        ASSERT_EQ(got.width, want.width);
        ASSERT_EQ(got.height, want.height);
        // Software rasterisers may differ in a few edge pixels between machines; a real change
        // (an object moved, a wrong colour, a missing layer) moves the mean or many pixels.
        double sum = 0;
        size_t far = 0;
        for (size_t i = 0; i < got.rgb.size(); ++i) {
            int d = std::abs(int(got.rgb[i]) - int(want.rgb[i]));
            sum += d;
            if (d > 64) ++far;
        }
        double mean = sum / got.rgb.size();
        EXPECT_LT(mean, 2.0) << name << ": mean channel difference";
        EXPECT_LT(far, got.rgb.size() / 100) << name << ": channels off by more than 64";
    }
}

TEST(Capture, TwoRunsGiveTheSameFramesAndAudio) {
    std::string a = scratch("det-a"), b = scratch("det-b");
    const std::string common = " --size 160x120 --fps 20 --until 1";
    ASSERT_EQ(capture("--frames " + a + "/frames --audio " + a + "/music.wav" + common), 0);
    ASSERT_EQ(capture("--frames " + b + "/frames --audio " + b + "/music.wav" + common), 0);
    std::string listA = shell("cd '" + a + "/frames' && ls | wc -l && cat * | md5sum");
    std::string listB = shell("cd '" + b + "/frames' && ls | wc -l && cat * | md5sum");
    EXPECT_EQ(listA, listB);
    // 7.68 s of show at 20 frames per second: frames 0 to 153.
    EXPECT_EQ(std::atoi(listA.c_str()), 154);
    std::string wavA = readFile(a + "/music.wav");
    EXPECT_EQ(wavA, readFile(b + "/music.wav"));
    EXPECT_EQ(wavA.size(),
              44u + 154u * 44100u / 20u * 4u);  // the audio lasts as long as the frames
}

TEST(Capture, EveryOrderStartsOnTheFirstFrameAtOrAfterItsFirstSample) {
    std::string dir = scratch("sync");
    ASSERT_EQ(capture("--size 64x48 --fps 60 --until 10 --timeline " + dir + "/t.txt"), 0);
    std::ifstream in(dir + "/t.txt");
    long frame;
    unsigned ticks;
    int order, row, lastOrder = 0, lastRow = 0;
    int checked = 0;
    while (in >> frame >> ticks >> order >> row) {
        EXPECT_EQ(ticks, static_cast<unsigned>(frame * 1000 / 60));
        if (order != lastOrder) {
            // The module runs 7.68 s a pattern: order n begins at sample n x 338688.
            long first = (order * 338688L * 60 + 44099) / 44100;  // ceil(sample x fps / rate)
            EXPECT_EQ(frame, first) << "order " << order;
            ++checked;
        }
        // Rows of one pattern go forward; at 60 fps no more than one row passes per frame.
        if (order == lastOrder) {
            EXPECT_LE(row - lastRow, 1);
        }
        lastOrder = order;
        lastRow = row;
    }
    EXPECT_EQ(checked, 9);  // orders 1 to 9 began
}

TEST(Capture, WritesAPlayableMp4) {
    if (std::system("command -v ffprobe >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffprobe";
    std::string dir = scratch("mp4");
    ASSERT_EQ(capture("--output " + dir + "/show.mp4 --size 200x150 --fps 30 --until 1"), 0);
    std::string probe =
        "ffprobe -v error -count_frames -show_entries "
        "stream=codec_name,width,height,r_frame_rate,nb_read_frames,duration "
        "-of default=nw=1 '" +
        dir + "/show.mp4'";
    std::string info = shell(probe);
    EXPECT_NE(info.find("codec_name=h264"), std::string::npos) << info;
    EXPECT_NE(info.find("codec_name=aac"), std::string::npos) << info;
    EXPECT_NE(info.find("width=200"), std::string::npos) << info;
    EXPECT_NE(info.find("height=150"), std::string::npos) << info;
    EXPECT_NE(info.find("r_frame_rate=30/1"), std::string::npos) << info;
    EXPECT_NE(info.find("nb_read_frames=231"), std::string::npos)
        << info;  // 0 .. 230 before 7.68 s
    // The audio lasts as long as the frames (231 / 30 = 7.7 s), within one AAC frame.
    ASSERT_NE(info.find("duration="), std::string::npos);
    double longest = 0;
    for (size_t p = info.find("duration="); p != std::string::npos;
         p = info.find("duration=", p + 1))
        longest = std::max(longest, std::atof(info.c_str() + p + 9));
    EXPECT_NEAR(longest, 7.7, 0.05) << info;
}

TEST(Capture, TheVideoShowsTheFramesUprightInTheirColours) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
    // An odd size, which the encoder's frames pad to 202 x 152; frame 100 of the video, cut back
    // to the picture, against the lossless frame 100.
    std::string dir = scratch("upright");
    const std::string common = " --size 201x151 --fps 30 --until 1";
    ASSERT_EQ(capture("--output " + dir + "/show.mp4" + common), 0);
    ASSERT_EQ(capture("--frames " + dir + common), 0);
    shell("ffmpeg -v error -i '" + dir +
          "/show.mp4' -vf 'select=eq(n\\,100),format=rgb24,crop=201:151:0:0' " + "-frames:v 1 '" +
          dir + "/decoded.png'");
    Picture lossless, decoded;
    ASSERT_TRUE(readPng(dir + "/frame-000100.png", lossless));
    ASSERT_TRUE(readPng(dir + "/decoded.png", decoded));
    ASSERT_EQ(decoded.rgb.size(), lossless.rgb.size());
    double difference = 0;
    for (size_t i = 0; i < lossless.rgb.size(); ++i)
        difference += std::abs(int(lossless.rgb[i]) - int(decoded.rgb[i]));
    difference /= lossless.rgb.size();
    // About 5 levels at this small size (chroma at half resolution); upside down it is 27.
    EXPECT_LT(difference, 8.0);
}

TEST(Capture, AnOutputPathReachesTheEncoderAsItIs) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
    // Quotes, spaces, a command substitution, a leading "-" (an option to ffmpeg if passed
    // bare) and non-ASCII letters, as a path relative to the working folder.
    std::string dir = scratch("paths");
    const std::string name = "-it's \"$(touch injected)\" \xc3\xa9t\xc3\xa9.mp4";
    Outcome run =
        runCapture({"--output", name, "--size", "64x48", "--fps", "10", "--until", "1"}, dir);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(listFolder(dir), std::vector<std::string>{name}) << "temporary files or injection";
    std::string mp4 = readFile(dir + "/" + name);
    EXPECT_TRUE(mp4.size() > 8 && mp4.compare(4, 4, "ftyp") == 0) << "not an MP4";
    // The 3DS reader's chunk trace stays off standard output and out of the progress.
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.find("CHUNK"), std::string::npos) << run.err;
    run = runCapture({"--verbose", "--shot", "0:0:still.png"}, dir);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("CHUNK: id:4d4d"), std::string::npos) << "--verbose shows the trace";
}

TEST(Capture, AMissingOrDeadEncoderIsAnErrorNamingItAndLeavesNoFiles) {
    std::string dir = scratch("encoder"), bin = scratch("encoder-bin");
    // No ffmpeg on PATH at all.
    Outcome run =
        runCapture({"--output", "a.mp4", "--size", "64x48", "--until", "1"}, dir, bin.c_str());
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("ffmpeg"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("a.mp4"), std::string::npos) << run.err;
    EXPECT_EQ(listFolder(dir), std::vector<std::string>{});
    // An ffmpeg that dies after two frames: an error, not a death by SIGPIPE, and the show stops
    // within the feed's few frames of it instead of running on to the end.
    {
        std::ofstream fake(bin + "/ffmpeg");
        fake << "#!/bin/sh\nhead -c 9216 >/dev/null\nexit 3\n";
    }
    chmod((bin + "/ffmpeg").c_str(), 0755);
    run = runCapture({"--output", "b.mp4", "--size", "64x48", "--until", "1"}, dir, bin.c_str());
    EXPECT_EQ(run.code, 1);
    const size_t captured = run.err.find("captured ");
    ASSERT_NE(captured, std::string::npos) << run.err;
    EXPECT_LT(std::atoi(run.err.c_str() + captured + 9), 20) << "frames drawn after it died";
    EXPECT_NE(run.err.find("ffmpeg"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("b.mp4"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("wrote"), std::string::npos) << run.err;
    EXPECT_EQ(listFolder(dir), std::vector<std::string>{});
}

TEST(Capture, AWidePictureKeepsFourByThreeWithBlackBars) {
    std::string dir = scratch("bars");
    ASSERT_EQ(capture("--size 320x120 --shot 0:16:" + dir + "/wide.png"), 0);
    Picture p;
    ASSERT_TRUE(readPng(dir + "/wide.png", p));
    ASSERT_EQ(p.width, 320);
    // The 4:3 picture is 160 wide in the middle: 80 columns of bar on each side.
    auto brightness = [&](int x0, int x1) {
        long sum = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = x0; x < x1; ++x)
                for (int c = 0; c < 3; ++c) sum += p.rgb[(y * p.width + x) * 3 + c];
        return sum;
    };
    EXPECT_EQ(brightness(0, 79), 0);
    EXPECT_EQ(brightness(241, 320), 0);
    EXPECT_GT(brightness(81, 239), 0);  // the title's golden background
}

TEST(Capture, RejectsBadArgumentsWithAReason) {
    EXPECT_EQ(capture("--fps 0"), 2);
    EXPECT_EQ(capture("--size 640"), 2);
    EXPECT_EQ(capture("--shot 3:4"), 2);
    EXPECT_EQ(capture("--bogus 1"), 2);
    EXPECT_EQ(capture("--preset quickest"), 2);
    EXPECT_EQ(capture("--help"), 0);
    std::string err = shell(kCapture + " --data /nonexistent --until 1 2>&1");
    EXPECT_NE(err.find("/nonexistent"), std::string::npos) << err;
}

TEST(Capture, CtrlCEndsWithAnErrorAndAPlayableVideoOfWhatWasShown) {
    if (std::system("command -v ffprobe >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffprobe";
    // SIGINT to the whole process group, as a terminal's Ctrl-C sends it: the encoder must not
    // die of it with the video.
    std::string dir = scratch("sigint");
    Stop stop;
    stop.afterLines = 60;
    Outcome run = runCapture({"--output", "k.mp4", "--audio", "k.wav", "--size", "160x120", "--fps",
                              "15", "--timeline", "timeline.txt"},
                             dir, nullptr, stop);
    EXPECT_EQ(run.code, 128 + SIGINT) << run.err;
    size_t at = run.err.find("interrupted at order ");
    ASSERT_NE(at, std::string::npos) << run.err;
    unsigned long frames = 0;
    size_t holds = run.err.find("k.mp4 holds the ", at);
    ASSERT_NE(holds, std::string::npos) << run.err;
    frames = std::strtoul(run.err.c_str() + holds + 16, nullptr, 10);
    EXPECT_GE(frames, 60u);
    EXPECT_LT(frames, 3800u) << "the whole show";
    EXPECT_NE(run.err.find("k.wav was not written"), std::string::npos) << run.err;
    std::vector<std::string> files = listFolder(dir);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"k.mp4", "timeline.txt"}));
    std::string info = shell(
        "ffprobe -v error -count_frames -select_streams v -show_entries "
        "stream=nb_read_frames -of default=nw=1 '" +
        dir + "/k.mp4'");
    EXPECT_EQ(info, "nb_read_frames=" + std::to_string(frames) + "\n");
    EXPECT_EQ(lineCount(dir + "/timeline.txt"), static_cast<int>(frames));
}

TEST(Capture, ASecondSignalEndsTheCaptureAndAStuckEncoderAtOnceLeavingNoFiles) {
    // An encoder that takes no frames: the first SIGTERM waits for it in vain, the second ends
    // both, and the temporaries go.
    std::string dir = scratch("twice"), bin = scratch("twice-bin");
    {
        std::ofstream fake(bin + "/ffmpeg");
        fake << "#!/bin/sh\necho $$ >" << bin << "/pid\nexec sleep 600\n";
    }
    chmod((bin + "/ffmpeg").c_str(), 0755);
    const std::string path = bin + ":" + std::getenv("PATH");
    Stop stop;
    stop.afterFile = bin + "/pid";
    stop.afterFileMs = 1500;  // the pipe and the feed fill up, and the show waits on them
    stop.signal = SIGTERM;
    stop.againAfterMs = 1000;
    Outcome run = runCapture({"--output", "k.mp4", "--size", "160x120", "--fps", "15",
                              "--timeline", "timeline.txt"},
                             dir, path.c_str(), stop);
    EXPECT_EQ(run.code, 128 + SIGTERM) << run.err;
    EXPECT_EQ(listFolder(dir), std::vector<std::string>{});
    const std::string encoder = readFile(bin + "/pid");
    ASSERT_FALSE(encoder.empty());
    usleep(200000);
    // Gone, or a zombie that nothing has reaped yet.
    const std::string state = readFile("/proc/" + std::to_string(std::atoi(encoder.c_str())) +
                                       "/stat");
    EXPECT_TRUE(state.empty() || state.find(") Z ") != std::string::npos) << state;
}

TEST(Capture, AWriteThatFailsMidRunLeavesNoHalfFileAndNamesIt) {
    // A file size limit stands in for a full disk. At 1 MiB the WAV (2.7 MB) cannot be written
    // whole, after the still and the timeline were; at 2 KiB the timeline (3 KB) fails in its
    // last flush, as the file is closed, after a small still was written whole.
    const struct {
        rlim_t limit;
        std::vector<std::string> args;
        const char* named;
    } cases[] = {
        {1 << 20,
         {"--shot", "1:0:s.png", "--audio", "big.wav", "--timeline", "t.txt", "--size", "64x48"},
         "big.wav"},
        {2048, {"--shot", "1:120:s.png", "--timeline", "big.wav", "--size", "16x16"}, "big.wav"},
    };
    for (const auto& c : cases) {
        std::string dir = scratch("full");
        { std::ofstream(dir + "/big.wav") << "the user's own"; }
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--fps", "15", "--until", "2"});
        Outcome run = runCapture(args, dir, nullptr, Stop(), c.limit);
        EXPECT_EQ(run.code, 1) << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_EQ(listFolder(dir), std::vector<std::string>{"big.wav"});
        EXPECT_EQ(readFile(dir + "/big.wav"), "the user's own");
    }
}

TEST(Capture, AFailedRunWritesNothingAndLeavesTheUsersFilesAlone) {
    // A data set with one image cut short: the show fails once it is loading, after the music.
    std::string dir = scratch("broken"), data = dir + "/data";
    std::system(("cp -r '" + std::string(SHOW_DATA_DIR) + "' '" + data + "' && truncate -s 200 '" +
                 data + "/1.png'")
                    .c_str());
    std::string work = scratch("broken-out");
    { std::ofstream(work + "/k.mp4.audio.wav") << "the user's own"; }
    Outcome run = runCapture({"--data", data, "--start", "5", "--audio", "a.wav", "--output",
                              "k.mp4", "--size", "64x48"},
                             work);
    EXPECT_EQ(run.code, 1) << run.err;
    EXPECT_NE(run.err.find("1.png"), std::string::npos) << run.err;
    EXPECT_EQ(listFolder(work), std::vector<std::string>{"k.mp4.audio.wav"});
    EXPECT_EQ(readFile(work + "/k.mp4.audio.wav"), "the user's own");
}

TEST(Capture, RefusesPathsAndCombinationsBeforeTheShowStarts) {
    std::string dir = scratch("plan");
    { std::ofstream(dir + "/file") << ""; }
    // Each case's last word is what its message must name.
    const std::vector<std::vector<std::string>> refused = {
        {"--audio", "missing/a.wav", "missing/a.wav"},
        {"--shot", "1:0:missing/s.png", "missing/s.png"},
        {"--output", "missing/k.mp4", "missing/k.mp4"},
        {"--frames", "missing/f", "missing/f"},
        {"--frames", "file", "file"},
        {"--frames", "f", "--output", "k.mp4", "--output"},
        {"--start", "5", "--shot", "4:127:s.png", "--start"},
        // Order 5 has rows 0 to 127: a still past them would be of order 6.
        {"--shot", "5:128:s.png", "--audio", "a.wav", "--shot 5:128:s.png"},
        {"--shot", "1:0:s.png", "--until", "1", "--until"},
        {"--audio", "same", "--timeline", "same", "given twice"},
        // At 1 fps the first frame after the last row's first sample lies past the end.
        {"--start", "32:127", "--fps", "1", "--start"},
    };
    for (std::vector<std::string> args : refused) {
        const std::string named = args.back();
        args.pop_back();
        Outcome run = runCapture(args, dir);
        EXPECT_EQ(run.code, 2) << args[0] << " " << args[1] << ": " << run.err;
        // The message names the path or option at fault, and the show never started.
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("captured"), std::string::npos) << run.err;
        EXPECT_EQ(listFolder(dir), std::vector<std::string>{"file"});
    }
}

}  // namespace
