// Runs the demo-inspect program for tests and collects its exit status and output.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

struct ToolRun {
    int status;
    std::string out, err;
};

inline std::string inspectProgram() {
    return std::string(SHOW_BINARY_DIR) + "/demo-inspect";
}

// Runs demo-inspect with `args` (already quoted for the shell); status -1 if it did not exit.
inline ToolRun runInspect(const std::string& args) {
    // One pair of files per process: the test runner may run several tests at once.
    std::string base = testing::TempDir() + "/inspect-" + std::to_string(getpid());
    std::string out = base + ".out", err = base + ".err";
    int raw = std::system((inspectProgram() + " " + args + " >" + out + " 2>" + err).c_str());
    auto slurp = [](const std::string& path) {
        std::stringstream s;
        s << std::ifstream(path).rdbuf();
        return s.str();
    };
    ToolRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return run;
}

// Skips the calling test when the program has not been built in this build folder.
#define SKIP_WITHOUT_INSPECT()                      \
    if (!std::filesystem::exists(inspectProgram())) \
    GTEST_SKIP() << inspectProgram() << " is not built (target demo-inspect)"
