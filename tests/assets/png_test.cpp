// Tests of the PNG loader against PngSuite, hand-made files and damaged files.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "assets/png.h"
#include "inspect_tool.h"
#include "render/image.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSuite = fs::path(SHOW_FIXTURES_DIR) / "pngsuite";

std::vector<unsigned char> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

fs::path writeTemp(const std::string& name, const std::vector<unsigned char>& bytes) {
    fs::path path = fs::path(testing::TempDir()) / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
}

// Appends one PNG chunk with its length and CRC.
void addChunk(std::vector<unsigned char>& png, const char* type,
              const std::vector<unsigned char>& data) {
    uint32_t n = data.size();
    for (int s = 24; s >= 0; s -= 8) png.push_back(n >> s);
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    uint32_t crc = crc32(0, png.data() + start, png.size() - start);
    for (int s = 24; s >= 0; s -= 8) png.push_back(crc >> s);
}

std::vector<unsigned char> be32(uint32_t v) {
    return {static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
            static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
}

// The same file declared as sRGB: the show ignores gamma, so the reference decode must not
// convert for it either (it would also take gamma-less 16-bit data as linear).
std::vector<unsigned char> withoutGamma(const std::vector<unsigned char>& png) {
    std::vector<unsigned char> out(png.begin(), png.begin() + 8);
    for (size_t at = 8; at + 12 <= png.size();) {
        uint32_t n = png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        std::string type(png.begin() + at + 4, png.begin() + at + 8);
        if (type != "gAMA" && type != "sRGB" && type != "iCCP" && type != "cHRM")
            out.insert(out.end(), png.begin() + at, png.begin() + at + 12 + n);
        if (type == "IHDR") addChunk(out, "sRGB", {0});
        at += 12 + n;
    }
    return out;
}

// A minimal 8-bit PNG of the given colour type; `raw` holds the unfiltered rows (filter bytes
// are added here).
std::vector<unsigned char> makePng(
    uint32_t width, uint32_t height, int colorType, int channels,
    const std::vector<unsigned char>& raw,
    const std::vector<std::pair<const char*, std::vector<unsigned char>>>& extra = {}) {
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> ihdr = be32(width);
    for (unsigned char b : be32(height)) ihdr.push_back(b);
    ihdr.insert(ihdr.end(), {8, static_cast<unsigned char>(colorType), 0, 0, 0});
    addChunk(png, "IHDR", ihdr);
    for (const auto& chunk : extra) addChunk(png, chunk.first, chunk.second);
    std::vector<unsigned char> filtered;
    // With no rows given only the header claims a size, as in a forged file.
    for (uint32_t y = 0; y < height && !raw.empty(); ++y) {
        filtered.push_back(0);
        auto row = raw.begin() + y * width * channels;
        filtered.insert(filtered.end(), row, row + width * channels);
    }
    uLongf size = compressBound(filtered.size());
    std::vector<unsigned char> packed(size);
    compress(packed.data(), &size, filtered.data(), filtered.size());
    packed.resize(size);
    addChunk(png, "IDAT", packed);
    addChunk(png, "IEND", {});
    return png;
}

struct Loaded {
    std::unique_ptr<Image> image;
    std::string reason;
};

Loaded load(const fs::path& path) {
    Loaded got;
    got.reason = loadPng(path.string().c_str(), &got.image);
    return got;
}

std::vector<fs::path> suiteFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(kSuite))
        if (entry.path().extension() == ".png") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

// Every image matches libpng's own simplified decoder with the alpha inverted. 16-bit files may
// differ by one step: this loader drops the low byte while that decoder rounds.
TEST(PngSuite, EveryImageMatchesAnIndependentDecode) {
    std::vector<fs::path> files = suiteFiles();
    ASSERT_GE(files.size(), 40u);
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.filename().string());
        Loaded got = load(path);
        ASSERT_TRUE(got.image) << got.reason;

        png_image ref;
        std::memset(&ref, 0, sizeof ref);
        ref.version = PNG_IMAGE_VERSION;
        std::vector<unsigned char> file = readFile(path);
        ASSERT_GT(file.size(), 29u);
        // libpng's simplified reader (1.6.39) mis-decodes interlaced 16-bit files to 8 bits, so
        // those are checked against their non-interlaced twin, which holds the same picture.
        if (file[24] == 16 && file[28] == 1)
            file = readFile(kSuite / path.filename().string().substr(1));
        std::vector<unsigned char> srgb = withoutGamma(file);
        ASSERT_TRUE(png_image_begin_read_from_memory(&ref, srgb.data(), srgb.size()));
        bool sixteen = (ref.format & PNG_FORMAT_FLAG_LINEAR) != 0;
        ref.format = PNG_FORMAT_RGBA;
        std::vector<unsigned char> want(PNG_IMAGE_SIZE(ref));
        ASSERT_TRUE(png_image_finish_read(&ref, nullptr, want.data(), 0, nullptr));

        ASSERT_EQ(got.image->width(), static_cast<int>(ref.width));
        ASSERT_EQ(got.image->height(), static_cast<int>(ref.height));
        ASSERT_EQ(got.image->pitch(), got.image->width());
        ASSERT_EQ(got.image->format(), &pixelFormat8888);
        const unsigned char* px = got.image->pixels();
        int tolerance = sixteen ? 1 : 0, mismatches = 0;
        for (size_t i = 0; i < want.size(); ++i) {
            int expected = i % 4 == 3 ? 255 - want[i] : want[i];
            if (std::abs(px[i] - expected) > tolerance && ++mismatches <= 3)
                ADD_FAILURE() << "byte " << i << " is " << int(px[i]) << ", want " << expected;
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(PngLoad, ChannelsAlphaInversionAndRowOrder) {
    // 2 x 2 RGBA: the top row opaque red and transparent green, the bottom row half-alpha.
    std::vector<unsigned char> rgba = {255, 0, 0, 255, 0, 255, 0, 0, 1, 2, 3, 128, 4, 5, 6, 7};
    Loaded got = load(writeTemp("rgba.png", makePng(2, 2, 6, 4, rgba)));
    ASSERT_TRUE(got.image) << got.reason;
    std::vector<unsigned char> want = {255, 0, 0, 0, 0, 255, 0, 255, 1, 2, 3, 127, 4, 5, 6, 248};
    EXPECT_EQ(std::vector<unsigned char>(got.image->pixels(), got.image->pixels() + 16), want);

    // RGB without alpha gets an opaque fourth byte.
    got = load(writeTemp("rgb.png", makePng(1, 2, 2, 3, {10, 20, 30, 40, 50, 60})));
    ASSERT_TRUE(got.image) << got.reason;
    want = {10, 20, 30, 0, 40, 50, 60, 0};
    EXPECT_EQ(std::vector<unsigned char>(got.image->pixels(), got.image->pixels() + 8), want);

    // A palette with a transparency entry for index 1 only.
    std::vector<std::pair<const char*, std::vector<unsigned char>>> chunks = {
        {"PLTE", {9, 8, 7, 6, 5, 4}}, {"tRNS", {255, 64}}};
    got = load(writeTemp("palette.png", makePng(2, 1, 3, 1, {0, 1}, chunks)));
    ASSERT_TRUE(got.image) << got.reason;
    want = {9, 8, 7, 0, 6, 5, 4, 191};
    EXPECT_EQ(std::vector<unsigned char>(got.image->pixels(), got.image->pixels() + 8), want);

    // Grey spreads to all three colours.
    got = load(writeTemp("grey.png", makePng(1, 1, 0, 1, {77})));
    ASSERT_TRUE(got.image) << got.reason;
    want = {77, 77, 77, 0};
    EXPECT_EQ(std::vector<unsigned char>(got.image->pixels(), got.image->pixels() + 4), want);
}

TEST(PngLoad, DamagedAndForeignFilesFailWithAReason) {
    std::vector<unsigned char> good = readFile(kSuite / "basn2c08.png");
    ASSERT_GT(good.size(), 100u);

    std::vector<unsigned char> badCrc = good;
    badCrc[good.size() / 2] ^= 0x55;  // inside the image data
    std::vector<unsigned char> badSignature = good;
    badSignature[1] = 'Q';
    std::vector<unsigned char> hugeHeader = makePng(100000, 100000, 6, 4, {});

    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        const char* reasonPart;
    } cases[] = {
        {"cut.png", std::vector<unsigned char>(good.begin(), good.begin() + good.size() / 2),
         "PNG data"},
        {"header-only.png", std::vector<unsigned char>(good.begin(), good.begin() + 33),
         "PNG data"},
        {"crc.png", badCrc, "PNG data"},
        {"signature.png", badSignature, "not a PNG"},
        {"empty.png", {}, "not a PNG"},
        {"text.png", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'}, "not a PNG"},
        {"huge.png", hugeHeader, "PNG data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loaded got = load(writeTemp(c.name, c.bytes));
        EXPECT_FALSE(got.image);
        EXPECT_NE(got.reason.find(c.reasonPart), std::string::npos) << got.reason;
    }

    Loaded missing = load(fs::path(testing::TempDir()) / "no-such-file.png");
    EXPECT_FALSE(missing.image);
    EXPECT_NE(missing.reason.find("cannot open"), std::string::npos) << missing.reason;
    // A failed load leaves no image behind, even where the holder had one.
    std::unique_ptr<Image> held;
    ASSERT_EQ(loadPng((kSuite / "basn2c08.png").string().c_str(), &held), "");
    EXPECT_NE(loadPng("/nonexistent/file.png", &held), "");
    EXPECT_FALSE(held);
}

TEST(InspectTool, WritesThePixelsOfAPngAsTheyLieInMemory) {
    SKIP_WITHOUT_INSPECT();
    fs::path source = kSuite / "basn6a08.png";
    fs::path raw = fs::path(testing::TempDir()) / "basn6a08.raw";
    ToolRun run = runInspect("png '" + source.string() + "' --raw '" + raw.string() + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "width: 32\nheight: 32\n");
    Loaded image = load(source);
    ASSERT_TRUE(image.image);
    const unsigned char* px = image.image->pixels();
    EXPECT_EQ(readFile(raw), std::vector<unsigned char>(px, px + 32 * 32 * 4));

    fs::path bad = writeTemp("bad.png", {'n', 'o', 'p', 'e'});
    run = runInspect("png '" + bad.string() + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(bad.string()), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("not a PNG"), std::string::npos) << run.err;
}
