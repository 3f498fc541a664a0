// Checks the generated images as the show sees them through its loader, and the generator's output.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "assets/png.h"
#include "render/image.h"

namespace {

const char* const kDataDir = SHOW_DATA_DIR;

struct Rgba {
    int r, g, b, inverted;  // inverted alpha as loaded: 0 opaque, 255 clear
};

std::unique_ptr<Image> load(const std::string& name) {
    std::string path = std::string(kDataDir) + "/" + name;
    std::unique_ptr<Image> image;
    EXPECT_EQ(loadPng(path.c_str(), &image), "") << path;
    return image;
}

Rgba pixel(const Image& image, int x, int y) {
    const uint8_t* p = image.pixels() + (size_t(y) * image.pitch() + x) * 4;
    return Rgba{p[0], p[1], p[2], p[3]};
}

bool same(const Rgba& p, const Rgba& q) {
    return p.r == q.r && p.g == q.g && p.b == q.b && p.inverted == q.inverted;
}

float opacity(const Image& image, int x, int y) {
    return 1 - pixel(image, x, y).inverted / 255.0f;
}

std::vector<std::string> listDir(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string makeTempDir() {
    char pattern[] = "/tmp/datagen-test-XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "";
}

int runDatagen(const std::string& outDir, const std::string& errFile) {
    std::string cmd = "'" SHOW_BINARY_DIR "/datagen' '" + outDir + "' 2>'" + errFile + "'";
    return std::system(cmd.c_str());
}

// A cell of a word texture in texture coordinates, as the scenes address it.
struct Cell {
    float u0, v0, u1, v1;
};

// Checks that every cell holds a word that spans it (minus a one-texel border that bilinear
// filtering reads across) and that nothing else in the texture carries ink.
void expectWordsFillCells(const char* name, const std::vector<Cell>& cells) {
    auto image = load(name);
    ASSERT_TRUE(image);
    const int w = image->width(), h = image->height();
    std::vector<bool> inCell(size_t(w) * h, false);
    for (const Cell& c : cells) {
        int x0 = int(c.u0 * w), y0 = int(c.v0 * h), x1 = int(c.u1 * w), y1 = int(c.v1 * h);
        int minX = w, minY = h, maxX = -1, maxY = -1;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                inCell[size_t(y) * w + x] = true;
                if (opacity(*image, x, y) < 0.5f) continue;
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
        SCOPED_TRACE(std::string(name) + " cell at u " + std::to_string(c.u0) + " v " +
                     std::to_string(c.v0));
        ASSERT_GE(maxX, 0) << "no ink";
        EXPECT_GT(minX, x0);
        EXPECT_GT(minY, y0);
        EXPECT_LT(maxX, x1 - 1);
        EXPECT_LT(maxY, y1 - 1);
        EXPECT_GE(maxX - minX + 1, 0.9 * (x1 - x0)) << "word too narrow for its cell";
        EXPECT_GE(maxY - minY + 1, 0.85 * (y1 - y0)) << "word too low for its cell";
    }
    int stray = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!inCell[size_t(y) * w + x] && pixel(*image, x, y).inverted != 255) ++stray;
    EXPECT_LE(stray, 8) << name << ": ink outside the cells";
}

// Mean absolute channel difference of two images of the same size, 0..255.
double meanDifference(const Image& a, const Image& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            Rgba p = pixel(a, x, y), q = pixel(b, x, y);
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
    return sum / (3.0 * a.width() * a.height());
}

const std::map<std::string, std::pair<int, int>> kSizes = {
    {"envmap1.png", {256, 256}}, {"stripe.png", {256, 64}},   {"striber3.png", {256, 256}},
    {"fisse.png", {256, 256}},   {"os.png", {512, 512}},      {"plettet.png", {256, 256}},
    {"circles.png", {256, 256}}, {"logoenv.png", {256, 256}}, {"1.png", {256, 256}},
    {"2.png", {256, 256}},       {"3.png", {256, 256}},       {"4.png", {256, 256}},
    {"1b.png", {256, 256}},      {"2b.png", {256, 256}},      {"3b.png", {256, 256}},
    {"4b.png", {256, 256}},      {"vexpush.png", {512, 512}}, {"greets.png", {512, 512}},
    {"txt.png", {512, 512}},     {"font.png", {256, 256}},
};

TEST(GeneratedImages, AreExactlyTheNineteenAndTheFontAndLoadAtTheirSizes) {
    std::set<std::string> pngs;
    for (const std::string& n : listDir(kDataDir))
        if (n.size() > 4 && n.compare(n.size() - 4, 4, ".png") == 0) pngs.insert(n);
    std::set<std::string> expected;
    for (const auto& entry : kSizes) expected.insert(entry.first);
    EXPECT_EQ(pngs, expected);
    for (const auto& [name, size] : kSizes) {
        auto image = load(name);
        if (!image) continue;
        EXPECT_EQ(image->width(), size.first) << name;
        EXPECT_EQ(image->height(), size.second) << name;
        EXPECT_EQ(image->pitch(), image->width()) << name;
    }
}

TEST(GeneratedImages, UseEveryColourTypeTheLoaderHandles) {
    // IHDR follows the 8-byte signature and the chunk's length and type: width, height,
    // bit depth (byte 24), colour type (byte 25).
    std::set<int> types;
    bool sixteenBit = false, paletteTransparency = false;
    for (const auto& entry : kSizes) {
        std::string bytes = readFile(std::string(kDataDir) + "/" + entry.first);
        ASSERT_GT(bytes.size(), 33u) << entry.first;
        int type = static_cast<uint8_t>(bytes[25]);
        types.insert(type);
        sixteenBit = sixteenBit || bytes[24] == 16;
        paletteTransparency =
            paletteTransparency || (type == 3 && bytes.find("tRNS") != std::string::npos);
    }
    EXPECT_EQ(types, (std::set<int>{0, 2, 3, 4, 6}));  // grey, RGB, palette, grey+alpha, RGBA
    EXPECT_TRUE(sixteenBit);
    EXPECT_TRUE(paletteTransparency);
}

TEST(GeneratedImages, TitleWordsAndCaptionsFillTheCellsTheScenesShow) {
    expectWordsFillCells("os.png", {{0.015625f, 0.0078125f, 0.3125f, 0.15234375f},
                                    {0.015625f, 0.1640625f, 0.45703125f, 0.30859375f},
                                    {0.015625f, 0.3203125f, 0.4921875f, 0.46484375f},
                                    {0.015625f, 0.4765625f, 0.59765625f, 0.62109375f},
                                    {0.015625f, 0.6328125f, 0.34375f, 0.77734375f},
                                    {0.015625f, 0.7890625f, 0.3125f, 0.93359375f}});
    expectWordsFillCells("txt.png", {{0.21484375f, 0.0f, 0.78125f, 0.17578125f},
                                     {0.02734375f, 0.17578125f, 0.2578125f, 0.2734375f},
                                     {0.27734375f, 0.17578125f, 0.4765625f, 0.2734375f},
                                     {0.4921875f, 0.17578125f, 0.703125f, 0.2734375f},
                                     {0.73046875f, 0.17578125f, 0.96875f, 0.2734375f}});
}

TEST(GeneratedImages, OverlaysAreClearAroundTheirShapes) {
    // Logo: clear corners, solid middle.
    auto logo = load("vexpush.png");
    ASSERT_TRUE(logo);
    for (int x : {0, 8, 503, 511})
        for (int y : {0, 8, 503, 511}) EXPECT_EQ(pixel(*logo, x, y).inverted, 255) << x << "," << y;
    EXPECT_EQ(pixel(*logo, 256, 256).inverted, 0);
    // Greetings: a clear margin all round, a mostly solid panel with light text on it.
    auto greets = load("greets.png");
    ASSERT_TRUE(greets);
    int light = 0;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            bool margin = x < 16 || y < 16 || x >= 496 || y >= 496;
            if (margin) {
                ASSERT_EQ(pixel(*greets, x, y).inverted, 255) << x << "," << y;
            }
            if (x > 128 && x < 384 && y > 128 && y < 384) {
                ASSERT_GE(opacity(*greets, x, y), 0.5f) << x << "," << y;
                Rgba p = pixel(*greets, x, y);
                light += p.r > 200 && p.g > 200 && p.b > 200;
            }
        }
    EXPECT_GT(light, 2000) << "no readable text on the panel";
    // Pictures: clear outer corners that add nothing in additive modes, solid inside the frame.
    for (const char* name :
         {"1.png", "2.png", "3.png", "4.png", "1b.png", "2b.png", "3b.png", "4b.png"}) {
        auto p = load(name);
        ASSERT_TRUE(p);
        for (int c : {0, 255}) {
            Rgba corner = pixel(*p, c, c);
            EXPECT_EQ(corner.inverted, 255) << name;
            EXPECT_EQ(corner.r + corner.g + corner.b, 0) << name;
        }
        for (int y = 16; y < 240; ++y)
            for (int x = 16; x < 240; ++x) ASSERT_EQ(pixel(*p, x, y).inverted, 0) << name;
    }
}

TEST(GeneratedImages, TexturesBlendedOverOthersCarryRealAlpha) {
    // Tube stripes: opaque and translucent bands along u, every row alike so that the tube's
    // wrap-around seam (where v jumps back to 0) cannot show.
    auto stripe = load("stripe.png");
    ASSERT_TRUE(stripe);
    int opaque = 0, translucent = 0;
    for (int x = 0; x < stripe->width(); ++x) {
        int a = pixel(*stripe, x, 0).inverted;
        opaque += a == 0;
        translucent += a > 100 && a < 255;
        for (int y = 1; y < stripe->height(); ++y)
            ASSERT_TRUE(same(pixel(*stripe, x, y), pixel(*stripe, x, 0))) << x << "," << y;
    }
    EXPECT_GT(opaque, 64);
    EXPECT_GT(translucent, 64);
    // Spots: opaque spots on a translucent ground.
    auto spots = load("plettet.png");
    ASSERT_TRUE(spots);
    int solid = 0, ground = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            int a = pixel(*spots, x, y).inverted;
            solid += a == 0;
            ground += a > 100 && a < 255;
        }
    EXPECT_GT(solid, 256 * 256 / 10);
    EXPECT_GT(ground, 256 * 256 / 3);
    // Liquid: lets more through where it faces the viewer than at its rim.
    auto liquid = load("fisse.png");
    ASSERT_TRUE(liquid);
    EXPECT_LT(opacity(*liquid, 100, 150), 0.8f);
    EXPECT_GT(opacity(*liquid, 128, 4), 0.95f);
}

TEST(GeneratedImages, EnvironmentMapsAreSmoothWithHighlightsAndTheirOwnHues) {
    struct Hue {
        const char* name;
        double r, g, b;
    };
    std::vector<Hue> means;
    for (const char* name : {"envmap1.png", "fisse.png", "logoenv.png"}) {
        auto m = load(name);
        ASSERT_TRUE(m);
        double r = 0, g = 0, b = 0;
        int n = 0, brightest = 0, jump = 0;
        for (int y = 1; y < 256; ++y)
            for (int x = 1; x < 256; ++x) {
                float dx = x - 127.5f, dy = y - 127.5f;
                if (dx * dx + dy * dy > 120 * 120) continue;  // the rim may change fast
                Rgba p = pixel(*m, x, y), left = pixel(*m, x - 1, y), up = pixel(*m, x, y - 1);
                r += p.r, g += p.g, b += p.b, ++n;
                brightest = std::max(brightest, (p.r + p.g + p.b) / 3);
                jump = std::max(
                    {jump, std::abs(p.r - left.r), std::abs(p.g - up.g), std::abs(p.b - up.b)});
            }
        EXPECT_GE(brightest, 235) << name << " has no highlight";
        EXPECT_LE(jump, 48) << name << " is not smooth";
        means.push_back(Hue{name, r / n, g / n, b / n});
    }
    EXPECT_GT(means[0].b, means[0].r) << "metal should be cool";
    EXPECT_GT(means[1].g, means[1].r + 30) << "liquid should be sea-green";
    EXPECT_GT(means[2].r, means[2].b + 60) << "gold should be warm";
}

TEST(GeneratedImages, GoldMapCornersGiveTheFlatTitleObjectAColourThatStandsOut) {
    // A mesh drawn with texture coordinates (0, 0) samples, with repeat and linear filtering,
    // the four corner texels together: all of them must be the one intended colour.
    auto gold = load("logoenv.png");
    ASSERT_TRUE(gold);
    Rgba c = pixel(*gold, 0, 0);
    for (int x : {0, 1, 254, 255})
        for (int y : {0, 1, 254, 255}) {
            Rgba p = pixel(*gold, x, y);
            EXPECT_TRUE(same(p, c) && p.inverted == 0) << x << "," << y;
        }
    // Far from the title's golden background (241, 189, 10).
    int distance = std::abs(c.r - 241) + std::abs(c.g - 189) + std::abs(c.b - 10);
    EXPECT_GT(distance, 200);
}

TEST(GeneratedImages, PicturesAreDistinctAndTheirSecondColouringsContrast) {
    std::vector<std::unique_ptr<Image>> plain, second;
    for (int i = 1; i <= 4; ++i) {
        plain.push_back(load(std::to_string(i) + ".png"));
        second.push_back(load(std::to_string(i) + "b.png"));
        ASSERT_TRUE(plain.back() && second.back());
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_GT(meanDifference(*plain[i], *second[i]), 60) << "picture " << i + 1;
        for (int j = i + 1; j < 4; ++j)
            EXPECT_GT(meanDifference(*plain[i], *plain[j]), 40) << i + 1 << " vs " << j + 1;
    }
}

TEST(Datagen, GeneratesTheSameBytesEveryTime) {
    std::string a = makeTempDir(), b = makeTempDir();
    ASSERT_FALSE(a.empty() || b.empty());
    ASSERT_EQ(runDatagen(a, a + ".err"), 0) << readFile(a + ".err");
    ASSERT_EQ(runDatagen(b, b + ".err"), 0) << readFile(b + ".err");
    std::vector<std::string> files = listDir(a);
    EXPECT_EQ(files, listDir(b));
    EXPECT_GE(files.size(), 19u + 7u + 1u);  // images, meshes, music
    for (const std::string& f : files) {
        std::string x = readFile(a + "/" + f), y = readFile(b + "/" + f);
        EXPECT_FALSE(x.empty()) << f;
        EXPECT_TRUE(x == y) << f << " differs between runs";
        std::remove((a + "/" + f).c_str());
        std::remove((b + "/" + f).c_str());
    }
    for (const std::string& d : {a, b}) {
        std::remove((d + ".err").c_str());
        rmdir(d.c_str());
    }
}

TEST(Datagen, FailsNamingTheFileItCannotWrite) {
    // A folder inside a regular file can never be created.
    std::string blocker = makeTempDir() + "/plain-file";
    std::ofstream(blocker) << "x";
    std::string errFile = blocker + ".err";
    int status = runDatagen(blocker + "/data", errFile);
    EXPECT_NE(status, 0);
    std::string message = readFile(errFile);
    EXPECT_NE(message.find(blocker + "/data/envmap1.png"), std::string::npos) << message;
    std::remove(blocker.c_str());
    std::remove(errFile.c_str());
    rmdir(blocker.substr(0, blocker.rfind('/')).c_str());
}

}  // namespace
