// Pixel formats derive their shifts and losses from the masks; images size their buffers.
#include <gtest/gtest.h>

#include "render/image.h"

TEST(PixelFormat, ShiftsAndLossesFollowTheMasks) {
    EXPECT_EQ(pixelFormat555.redShift, 10);
    EXPECT_EQ(pixelFormat555.redLoss, 3);
    EXPECT_EQ(pixelFormat565.greenShift, 5);
    EXPECT_EQ(pixelFormat565.greenLoss, 2);
    EXPECT_EQ(pixelFormat565Bgr.blueShift, 11);
    EXPECT_EQ(pixelFormat8888High.redShift, 24);
    EXPECT_EQ(pixelFormat8888HighBgr.blueShift, 24);
    EXPECT_EQ(pixelFormat8888.redLoss, 0);
    EXPECT_EQ(pixelFormat565Wide.bytesPerPixel(), 4);

    PixelFormat empty(32, 0, 0xFF, 0);
    EXPECT_EQ(empty.redShift, 32);
    EXPECT_EQ(empty.redLoss, 8);
    PixelFormat gap(16, 0x0F0F, 0, 0);  // the width counts only the first run of set bits
    EXPECT_EQ(gap.redLoss, 4);
}

TEST(Image, BufferSizeAndRowStarts) {
    Image img(256, 128, &pixelFormat8888, 256);
    EXPECT_EQ(img.byteSize(), 131072);
    ASSERT_NE(img.pixels(), nullptr);
    PixelFormat eightBit(8, 0xE0, 0x1C, 0x03);
    EXPECT_EQ(eightBit.bytesPerPixel(), 0);
    Image none(16, 16, &eightBit, 16);
    EXPECT_EQ(none.byteSize(), 0);
    EXPECT_EQ(none.pixels(), nullptr);
}
