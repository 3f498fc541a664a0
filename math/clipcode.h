// Clip codes of view-space points against the 90-degree view pyramid and the far distance.
#pragma once
#include <cstdint>

// Clip code bits. The pyramid is |x| < z, |y| < z; a point on a side plane is outside.
constexpr uint32_t kClipRight = 1;    // x >= z
constexpr uint32_t kClipLeft = 2;     // x <= -z
constexpr uint32_t kClipTop = 4;      // y >= z
constexpr uint32_t kClipBottom = 8;   // y <= -z
constexpr uint32_t kClipBehind = 16;  // z <= 0
constexpr uint32_t kClipFar = 32;     // z > kFarDistance
constexpr float kFarDistance = 4500.0f;

// Clip code of a view-space point. Behind the eye a point always carries at least one side bit
// of each pair, and both when it lies inside the mirrored pyramid. Behind and far never clip here.
// A NaN coordinate is outside both planes that bound it, so such a point is never drawn.
inline uint32_t clipCode(float x, float y, float z) {
    uint32_t flags = z > kFarDistance ? kClipFar : 0;
    if (z > 0.0f) {  // the common case, kept free of branches; !(a < z) also holds for a NaN a
        return flags | uint32_t(!(x < z)) * kClipRight | uint32_t(!(-x < z)) * kClipLeft |
               uint32_t(!(y < z)) * kClipTop | uint32_t(!(-y < z)) * kClipBottom;
    } else {  // also taken by a NaN depth, so such a point never reaches the screen unclipped
        flags |= kClipBehind;
        if (x >= 0.0f) {
            flags |= kClipRight;
            if (x < -z) flags |= kClipLeft;
        } else {
            flags |= kClipLeft;
            if (x > z) flags |= kClipRight;
        }
        if (y >= 0.0f) {
            flags |= kClipTop;
            if (y < -z) flags |= kClipBottom;
        } else {
            flags |= kClipBottom;
            if (y > z) flags |= kClipTop;
        }
    }
    return flags;
}
