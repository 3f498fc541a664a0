// Tests of the asset table: texture names in load order, the built meshes and load failures.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <set>
#include <string>

#include "app/assets.h"
#include "app/datafiles.h"
#include "assets/dataset.h"
#include "support/gl_harness.h"
#include "support/scene_script.h"

namespace {

// A scratch data folder, removed with its files afterwards.
class ScratchFolder {
  public:
    ScratchFolder() {
        char templ[] = "/tmp/assets_test_XXXXXX";
        path_ = mkdtemp(templ);
    }
    ~ScratchFolder() {
        for (const std::string& f : files_) std::remove((path_ + "/" + f).c_str());
        rmdir(path_.c_str());
    }
    const std::string& path() const { return path_; }
    void writeImage(const std::string& name) {
        const uint8_t pixels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 9, 9, 9, 9};
        ASSERT_TRUE(writePng(path_ + "/" + name, pixels, 2, 2));
        files_.push_back(name);
    }
    void writeBytes(const std::string& name, const std::string& bytes) {
        FILE* f = std::fopen((path_ + "/" + name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        files_.push_back(name);
    }

  private:
    std::string path_;
    std::vector<std::string> files_;
};

// Loads the table from folder through a fresh recorder; returns the message.
std::string loadFrom(const std::string& folder, RecordingRenderer& recorder) {
    Renderer* saved = gRenderer;
    gRenderer = &recorder;
    chooseDataDir(folder.c_str());
    std::string message = loadAssets();
    chooseDataDir(SHOW_DATA_DIR);
    gRenderer = saved;
    return message;
}

}  // namespace

TEST(AssetTable, TexturesAreNamedInTableOrderAndEveryMeshIsBuilt) {
    if (!dataSetPresent()) GTEST_SKIP() << "no generated data set";
    RecordingRenderer recorder;
    ASSERT_EQ(loadFrom(SHOW_DATA_DIR, recorder), "");

    auto created = recorder.named("createTexture");
    ASSERT_EQ(created.size(), 19u);
    for (int i = 0; i < 19; ++i) {
        EXPECT_EQ(created[i].args[0], i + 1);
        EXPECT_EQ(created[i].args[1], i == 0 ? 2 : 1) << "texture " << i + 1;  // envmap1 is 16-bit
    }
    const int expected[] = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    const int actual[] = {texEnvmap1,     texTentacleEnv, texStripe,      texStriber3,
                          texFisse,       texOs,          texPlettet,     texCircles,
                          texLogoenv,     texPicture[0],  texPicture[1],  texPicture[2],
                          texPicture[3],  texPictureB[0], texPictureB[1], texPictureB[2],
                          texPictureB[3], texVexpush,     texGreets,      texTxt};
    for (int i = 0; i < 20; ++i) EXPECT_EQ(actual[i], expected[i]) << "global " << i;

    EXPECT_EQ(meshTube.vertices.count, 1200);
    EXPECT_EQ(meshTube.faces.count, 2320);
    for (const Mesh* mesh : {&meshText01, &meshText02, &meshHeart, &meshSpiral, &meshBall,
                             &meshCone, &meshBox, &meshDude, &meshGlasses, &meshLogo}) {
        EXPECT_GT(mesh->vertices.count, 0);
        EXPECT_GT(mesh->faces.count, 0);
    }
    EXPECT_EQ(tentacleField.tentacleCount, 16);
    EXPECT_EQ(tentacleField.width, 800);
    EXPECT_EQ(tentacleField.height, 600);
}

TEST(AssetTable, TheUpFrontCheckCoversExactlyTheDataSetsFiles) {
    std::set<std::string> contract(std::begin(kTextureOrder), std::end(kTextureOrder));
    for (const char* file : {kFilePurple, kFileHjerte, kFileSpiral, kFileBall, kFileStriber,
                             kFileVexscene, kFileVexpush1, kModuleFile})
        contract.insert(file);
    const std::set<std::string> checked(kDataFiles, kDataFiles + kDataFileCount);
    EXPECT_EQ(checked, contract);
    EXPECT_EQ(size_t(kDataFileCount), contract.size()) << "a file listed twice";
    EXPECT_STREQ(kDataFiles[kDataFileCount - 1], kModuleFile);
}

TEST(AssetTable, LoadingStopsAtTheFirstBadFileAndNamesIt) {
    {
        ScratchFolder empty;
        RecordingRenderer recorder;
        const std::string message = loadFrom(empty.path(), recorder);
        EXPECT_NE(message.find(empty.path() + "/envmap1.png"), std::string::npos) << message;
        EXPECT_EQ(recorder.count("createTexture"), 0u);
    }
    {
        ScratchFolder damaged;
        damaged.writeBytes("envmap1.png", "\x89PNG\r\n\x1a\nthis is not an image");
        RecordingRenderer recorder;
        const std::string message = loadFrom(damaged.path(), recorder);
        EXPECT_NE(message.find("envmap1.png"), std::string::npos) << message;
        EXPECT_EQ(recorder.count("createTexture"), 0u);
    }
    {
        // Both leading textures load; the first mesh file is missing.
        ScratchFolder partial;
        partial.writeImage("envmap1.png");
        partial.writeImage("stripe.png");
        RecordingRenderer recorder;
        const std::string message = loadFrom(partial.path(), recorder);
        EXPECT_NE(message.find("purple.3ds"), std::string::npos) << message;
        EXPECT_NE(message.find("Text01"), std::string::npos) << message;
        EXPECT_EQ(recorder.count("createTexture"), 2u);
        EXPECT_EQ(meshTube.faces.count, 2320);  // the steps before it ran
    }
}
