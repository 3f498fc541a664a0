// The data folder and the up-front check of every data file.
#include "app/datafiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

const char* const kDataFiles[] = {
    kFileEnvmap1,     kFileStripe,      kFilePurple,      kFileHjerte,     kFileSpiral,
    kFileBall,        kFileStriber,     kFileStriber3,    kFileFisse,      kFileOs,
    kFilePlettet,     kFileCircles,     kFileVexscene,    kFileVexpush1,   kFileLogoenv,
    kFilePicture[0],  kFilePicture[1],  kFilePicture[2],  kFilePicture[3], kFilePictureB[0],
    kFilePictureB[1], kFilePictureB[2], kFilePictureB[3], kFileVexpush,    kFileGreets,
    kFileTxt,         kModuleFile};
const int kDataFileCount = sizeof kDataFiles / sizeof kDataFiles[0];

namespace {

std::string chosenDir = "data";
std::string lookedIn;  // the folders tried, for the message when files are missing

bool isDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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
    chooseDataDirBeside(platformBasePath());
}

void chooseDataDirBeside(const std::string& programFolder) {
    chosenDir = "data";
    lookedIn = "\"" + absolute(chosenDir) + "\"";
    if (isDirectory(chosenDir) || programFolder.empty()) return;
    const char last = programFolder.back();
    const std::string beside = programFolder + (last == '/' || last == '\\' ? "" : "/") + "data";
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
