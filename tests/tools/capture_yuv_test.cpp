// The encoder's frames: colours, orientation and padding of the RGBA to YUV 4:2:0 conversion.
#include <gtest/gtest.h>

#include <vector>

#include "tools/capture/yuv.h"

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// A bottom-up RGBA picture (as read back) whose rows from the top have the given colours.
std::vector<uint8_t> rowsFromTop(int width, const std::vector<Rgb>& rows) {
    const int height = static_cast<int>(rows.size());
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgba[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
            p[0] = rows[y].r;
            p[1] = rows[y].g;
            p[2] = rows[y].b;
            p[3] = 255;
        }
    return rgba;
}

TEST(CaptureYuv, StudioLevelsTopDown) {
    // Rows from the top: white, white, black, black, red, red. The frame must come out top-down.
    std::vector<uint8_t> rgba = rowsFromTop(
        4, {{255, 255, 255}, {255, 255, 255}, {0, 0, 0}, {0, 0, 0}, {255, 0, 0}, {255, 0, 0}});
    std::vector<uint8_t> yuv(yuv420Bytes(4, 6));
    ASSERT_EQ(yuv.size(), 4u * 6 + 2 * 2 * 3);
    convertToYuv420(rgba.data(), 4, 6, yuv.data());
    const uint8_t* y = yuv.data();
    const uint8_t* u = y + 24;
    const uint8_t* v = u + 6;
    EXPECT_EQ(y[0], 235);  // white
    EXPECT_EQ(y[8], 16);   // black
    EXPECT_EQ(y[16], 81);  // red
    EXPECT_EQ(u[0], 128);  // greys have no colour
    EXPECT_EQ(v[2], 128);
    EXPECT_EQ(u[4], 90);   // red: little blue difference,
    EXPECT_EQ(v[4], 240);  // all the red difference there is
}

TEST(CaptureYuv, OddSidesArePaddedWithBlackThatDoesNotTintTheEdge) {
    // Red, whose chroma is far from the padding's 128: the last column's and the corner's chroma
    // must be the picture's own, not mixed with the black padding.
    const Rgb red = {255, 0, 0};
    std::vector<uint8_t> rgba = rowsFromTop(3, {red, red, red});
    std::vector<uint8_t> yuv(yuv420Bytes(3, 3));
    ASSERT_EQ(yuv.size(), 4u * 4 + 2 * 2 * 2);
    convertToYuv420(rgba.data(), 3, 3, yuv.data());
    EXPECT_EQ(yuv[2], 81);      // last picture column
    EXPECT_EQ(yuv[3], 16);      // padding column
    EXPECT_EQ(yuv[12], 16);     // padding row
    for (int block : {1, 3}) {  // the last column's chroma: cut by the padding column, and corner
        EXPECT_EQ(yuv[16 + block], 90) << "U of chroma block " << block;
        EXPECT_EQ(yuv[20 + block], 240) << "V of chroma block " << block;
    }
}

}  // namespace
