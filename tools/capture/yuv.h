// Frames for the encoder: bottom-up RGBA read-backs turned into top-down planar YUV 4:2:0.
#pragma once
#include <cstddef>
#include <cstdint>

// The encoder's frame is the picture padded to even sides, as 4:2:0 needs.
inline int evenSide(int side) {
    return side + (side & 1);
}

// Bytes of one padded 4:2:0 frame: a full-size luma plane and two quarter-size chroma planes.
inline size_t yuv420Bytes(int width, int height) {
    const size_t w = static_cast<size_t>(evenSide(width)),
                 h = static_cast<size_t>(evenSide(height));
    return w * h + 2 * (w / 2) * (h / 2);
}

// Converts a bottom-up RGBA picture (as GL reads it back) into a top-down YUV 4:2:0 frame with
// BT.601 studio-range levels, the encoder's usual input. Chroma is the mean of each 2 x 2 block.
// A padding column or row is black. `out` holds yuv420Bytes(width, height).
void convertToYuv420(const uint8_t* rgba, int width, int height, uint8_t* out);
