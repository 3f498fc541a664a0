// Where the show's data files are, and the check that every one of them can be read.
#pragma once
#include <string>

#include "assets/dataset.h"

// Every file the show reads, in load order, the module (kModuleFile) last; the names are the
// data set's own.
extern const char* const kDataFiles[];
extern const int kDataFileCount;

// Picks the data folder: `dir` when given, else "data" under the current directory when it
// exists, else the "data" folder beside the executable.
void chooseDataDir(const char* dir = nullptr);
// The choice without `dir`, for a program in programFolder: "data" under the current directory
// when it exists, else programFolder's "data". An empty programFolder (the program's folder
// could not be told) leaves "data" under the current directory as the only folder looked in.
void chooseDataDirBeside(const std::string& programFolder);
// The chosen data folder.
const std::string& dataDir();
// Path of a data file in the chosen folder.
std::string dataPath(const char* name);
// Returns an empty string when every data file can be opened for reading, else one message
// naming each file that cannot, and the folder looked in.
std::string checkDataFiles();
