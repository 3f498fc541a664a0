// Tests of where the show looks for its data: ./data first, then the folder beside the program.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/datafiles.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

// A scratch tree: run/data (a current directory with data), program/data (a program's folder
// with data), bare (a program's folder without), empty (a current directory without).
class DataFolderChoice : public ::testing::Test {
  protected:
    fs::path root, home;
    void SetUp() override {
        home = fs::current_path();
        root = fs::temp_directory_path() / ("datafolder-" + std::to_string(::getpid()));
        for (const char* d : {"run/data", "program/data", "bare", "empty"})
            fs::create_directories(root / d);
    }
    void TearDown() override {
        fs::current_path(home);
        fs::remove_all(root);
        chooseDataDir(SHOW_DATA_DIR);
    }
    std::string folder(const char* name) const { return (root / name).string(); }
};

}  // namespace

TEST_F(DataFolderChoice, CurrentDirectoryFirstThenBesideTheProgram) {
    fs::current_path(root / "run");
    chooseDataDirBeside(folder("program") + "/");
    EXPECT_EQ(dataDir(), "data");

    fs::current_path(root / "empty");
    chooseDataDirBeside(folder("program") + "/");
    EXPECT_EQ(dataDir(), folder("program/data"));

    // Neither has one: the message names both folders looked in.
    chooseDataDirBeside(folder("bare"));
    std::string message = checkDataFiles();
    EXPECT_NE(message.find('"' + folder("empty/data") + "\" and \"" + folder("bare/data") + '"'),
              std::string::npos)
        << message;

    // The program's folder unknown: only the current directory is looked in.
    chooseDataDirBeside("");
    EXPECT_EQ(dataDir(), "data");
    message = checkDataFiles();
    EXPECT_NE(message.find("looked in \"" + folder("empty/data") + "\". "), std::string::npos)
        << message;
}

TEST_F(DataFolderChoice, TheProgramsOwnFolderComesFromThePlatform) {
    EXPECT_TRUE(fs::equivalent(platformBasePath(), SHOW_BINARY_DIR));
    fs::current_path(root / "empty");
    chooseDataDir();
    EXPECT_TRUE(fs::equivalent(dataDir(), SHOW_DATA_DIR)) << dataDir();
}
