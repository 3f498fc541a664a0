// The data folder and the up-front check of every data file.
#include "app/datafiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

const char* const kDataFiles[] = {
    "envmap1.png",  "stripe.png",   "purple.3ds",  "hjerte~1.3ds", "spiral.3ds",  "ball2116.3ds",
    "striber.3ds",  "striber3.png", "fisse.png",   "os.png",       "plettet.png", "circles.png",
    "vexscene.3ds", "vexpush1.3ds", "logoenv.png", "1.png",        "2.png",       "3.png",
    "4.png",        "1b.png",       "2b.png",      "3b.png",       "4b.png",      "vexpush.png",
    "greets.png",   "txt.png",      "qua#v3n.it"};
const int kDataFileCount = sizeof kDataFiles / sizeof kDataFiles[0];
const char* const kModuleFile = "qua#v3n.it";

namespace {

std::string chosenDir = "data";
std::string lookedIn;  // the folders tried, for the message when files are missing

bool isDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder holding the running executable, or "" when it cannot be told.
std::string executableDir() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "";
    buffer[n] = '\0';
    std::string path(buffer);
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

// The absolute form of a relative path, for messages.
std::string absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[4096];
    return getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : path;
}

}  // namespace

void chooseDataDir(const char* dir) {
    if (dir) {
        chosenDir = dir;
        lookedIn = "\"" + absolute(chosenDir) + "\"";
        return;
    }
    chosenDir = "data";
    lookedIn = "\"" + absolute(chosenDir) + "\"";
    if (isDirectory(chosenDir)) return;
    std::string beside = executableDir() + "/data";
    if (isDirectory(beside)) {
        chosenDir = beside;
        lookedIn = "\"" + beside + "\"";
    } else if (beside != absolute(chosenDir)) {
        lookedIn += " and \"" + beside + "\"";
    }
}

const std::string& dataDir() {
    return chosenDir;
}

std::string dataPath(const char* name) {
    return chosenDir + "/" + name;
}

std::string checkDataFiles() {
    std::string missing;
    for (int i = 0; i < kDataFileCount; ++i) {
        std::string path = dataPath(kDataFiles[i]);
        FILE* f = std::fopen(path.c_str(), "rb");
        if (f) {
            std::fclose(f);
            continue;
        }
        missing += "  " + std::string(kDataFiles[i]) + ": " + std::strerror(errno) + "\n";
    }
    if (missing.empty()) return "";
    if (!isDirectory(chosenDir))
        return "The show's data folder is missing: it looked in " + lookedIn +
               ". These files are needed:\n" + missing;
    return "The show cannot read these data files in " + lookedIn + ":\n" + missing;
}
