// Runs the demo-inspect program for tests and collects its exit status and output.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

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
    std::string dir = testing::TempDir();
    std::string out = dir + "/inspect.out", err = dir + "/inspect.err";
    int raw = std::system((inspectProgram() + " " + args + " >" + out + " 2>" + err).c_str());
    auto slurp = [](const std::string& path) {
        std::stringstream s;
        s << std::ifstream(path).rdbuf();
        return s.str();
    };
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
}

// Skips the calling test when the program has not been built in this build folder.
#define SKIP_WITHOUT_INSPECT()                      \
    if (!std::filesystem::exists(inspectProgram())) \
    GTEST_SKIP() << inspectProgram() << " is not built (target demo-inspect)"
