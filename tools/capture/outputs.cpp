// Checks of the capture's output paths before the show, and its unique temporary files.
#include "tools/capture/outputs.h"

#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool isFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// "" when a file can be written at `path` (made, or replaced), else why not.
std::string writable(const std::string& path, const std::string& what) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return what + " " + path + " is a folder";
        if (access(path.c_str(), W_OK) != 0)
            return "cannot write " + what + " " + path + ": " + std::strerror(errno);
        return "";
    }
    const std::string folder = folderOf(path);
    if (!isFolder(folder))
        return "cannot write " + what + " " + path + ": the folder " + folder + " does not exist";
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return "cannot write " + what + " " + path + ": the folder " + folder + ": " +
               std::strerror(errno);
    return "";
}

// The temporaries' paths where a signal handler can read them: a slot is marked used only once
// its path is complete, and unused before the path changes.
constexpr int kTemporarySlots = 64;
char temporaryPaths[kTemporarySlots][PATH_MAX];
volatile sig_atomic_t temporaryUsed[kTemporarySlots];

int registerTemporary(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kTemporarySlots; ++i) {
        if (temporaryUsed[i]) continue;
        std::memcpy(temporaryPaths[i], path.c_str(), path.size() + 1);
        temporaryUsed[i] = 1;
        return i;
    }
    return -1;  // left to the destructor alone
}

std::string positionText(int order, int row) {
    return std::to_string(order) + ":" + std::to_string(row);
}

}  // namespace

std::string checkCapturePlan(const CaptureOptions& o, bool writeVideo) {
    if (!o.framesDir.empty() && o.outputGiven)
        return "--output and --frames both ask for the pictures; give one (--frames writes PNG "
               "files instead of a video)";
    if (o.start.order >= o.untilOrder)
        return "--start " + positionText(o.start.order, o.start.row) + " is not before --until " +
               std::to_string(o.untilOrder) + ", where the capture stops";
    for (const ShotRequest& shot : o.shots) {
        const std::string name = "--shot " + positionText(shot.order, shot.row) + ":" + shot.path;
        // A still before the first frame would silently be the first frame instead.
        if (positionBefore(MusicPosition{shot.order, shot.row}, o.start))
            return name + " lies before --start " + positionText(o.start.order, o.start.row);
        if (shot.order >= o.untilOrder)
            return name + " lies at or after --until " + std::to_string(o.untilOrder) +
                   ", where the capture stops";
    }

    // Every file written, with the option that names it; two options may not name one file.
    std::vector<std::pair<std::string, std::string>> files;
    if (writeVideo) files.push_back({o.output, "--output"});
    if (!o.audioPath.empty()) files.push_back({o.audioPath, "--audio"});
    if (!o.timelinePath.empty()) files.push_back({o.timelinePath, "--timeline"});
    for (const ShotRequest& shot : o.shots) files.push_back({shot.path, "--shot"});
    for (size_t i = 0; i < files.size(); ++i) {
        for (size_t j = 0; j < i; ++j)
            if (files[i].first == files[j].first)
                return files[i].first + " is given twice (" + files[j].second + " and " +
                       files[i].second + ")";
        std::string problem = writable(files[i].first, "the " + files[i].second + " file");
        if (!problem.empty()) return problem;
    }
    if (!o.framesDir.empty()) {
        if (mkdir(o.framesDir.c_str(), 0777) != 0 && errno != EEXIST)
            return "cannot make the --frames folder " + o.framesDir + ": " + std::strerror(errno);
        if (!isFolder(o.framesDir)) return "the --frames folder " + o.framesDir + " is a file";
        if (access(o.framesDir.c_str(), W_OK | X_OK) != 0)
            return "cannot write into the --frames folder " + o.framesDir + ": " +
                   std::strerror(errno);
    }
    return "";
}

std::string TemporaryFile::create(const std::string& beside, const std::string& suffix,
                                  bool shared) {
    remove();
    std::string name = beside + ".XXXXXX" + suffix;
    int fd = mkstemps(&name[0], static_cast<int>(suffix.size()));
    if (fd < 0)
        return "cannot make a temporary file beside " + beside + ": " + std::strerror(errno);
    if (shared) {
        // mkstemps makes the file private; a finished video gets the usual permissions.
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    close(fd);
    path_ = name;
    slot_ = registerTemporary(path_);
    return "";
}

std::string TemporaryFile::moveTo(const std::string& target) {
    if (std::rename(path_.c_str(), target.c_str()) != 0)
        return "cannot rename " + path_ + " to " + target + ": " + std::strerror(errno);
    if (slot_ >= 0) temporaryUsed[slot_] = 0;
    slot_ = -1;
    path_.clear();
    return "";
}

void TemporaryFile::remove() {
    if (slot_ >= 0) temporaryUsed[slot_] = 0;
    slot_ = -1;
    if (!path_.empty()) unlink(path_.c_str());
    path_.clear();
}

void removeTemporariesNow() {
    for (int i = 0; i < kTemporarySlots; ++i)
        if (temporaryUsed[i]) unlink(temporaryPaths[i]);
}
