// The show's parts in play order, each with its name and the music order that ends it: the one
// place these are written, read by the driver, seek, the development overlay, the closing
// sequence and every scene's frame loop.
#pragma once

// A part of the show: it plays until the music reaches `endOrder`.
struct SceneSpan {
    int endOrder;
    const char* name;
};

// Each part's index in kSceneSpans: the scenes the driver plays, then the closing sequence.
enum ScenePart {
    kTitlePart,
    kBlobPart,
    kWavePart,
    kSpiralPart,
    kFigurePart,
    kLogoZoomPart,
    kHeartPart,
    kClosingPart
};

inline constexpr SceneSpan kSceneSpans[] = {{3, "Title"},   {9, "Blob"},    {15, "Wave"},
                                            {18, "Spiral"}, {23, "Figure"}, {26, "Logo zoom"},
                                            {28, "Heart"},  {33, "closing"}};
inline constexpr int kSceneSpanCount = sizeof kSceneSpans / sizeof kSceneSpans[0];
static_assert(kSceneSpanCount == kClosingPart + 1, "one span for every part, the closing last");

// The music order that ends `part`; the closing sequence's is the end of the show.
constexpr int sceneEndOrder(ScenePart part) {
    return kSceneSpans[part].endOrder;
}

// The name of the part playing at `order` ("end" past the last).
inline const char* sceneNameAt(int order) {
    for (const SceneSpan& span : kSceneSpans)
        if (order < span.endOrder) return span.name;
    return "end";
}
