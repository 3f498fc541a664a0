// Renders words into their texture rectangles, with a rim so they read on any background.
#include "tools/datagen/image_words.h"

// Our own opening line, one word per cell. The cells are shown 4:3 wider on screen than in the
// square texture, so each word was chosen for a natural width at that stretch.
const WordCell kTitleWords[6] = {
    {0.015625f, 0.0078125f, 0.3125f, 0.15234375f, "THE"},
    {0.015625f, 0.1640625f, 0.45703125f, 0.30859375f, "LIGHT"},
    {0.015625f, 0.3203125f, 0.4921875f, 0.46484375f, "TURNS"},
    {0.015625f, 0.4765625f, 0.59765625f, 0.62109375f, "GOLDEN"},
    {0.015625f, 0.6328125f, 0.34375f, 0.77734375f, "FOR"},
    {0.015625f, 0.7890625f, 0.3125f, 0.93359375f, "YOU"},
};

const WordCell kCaptions[5] = {
    {0.21484375f, 0.0f, 0.78125f, 0.17578125f, "DIZZY"},
    {0.02734375f, 0.17578125f, 0.2578125f, 0.2734375f, "NOW"},
    {0.27734375f, 0.17578125f, 0.4765625f, 0.2734375f, "YOU"},
    {0.4921875f, 0.17578125f, 0.703125f, 0.2734375f, "SPIN"},
    {0.73046875f, 0.17578125f, 0.96875f, 0.2734375f, "FAST"},
};

namespace {

constexpr int kSize = 512;

// Draws each cell's word with its ink `pad` texels inside the cell, rimmed by `rim` texels of
// `rimColour`. The pad leaves room for the rim and one texel more, so bilinear filtering at a
// cell's edge never picks up ink from a neighbour.
Canvas wordSheet(const Font& font, const WordCell* cells, int count, float pad, float rim,
                 Colour ink, Colour rimColour) {
    Mask fill(kSize, kSize);
    for (int i = 0; i < count; ++i) {
        const WordCell& w = cells[i];
        font.fill(w.text, w.u0 * kSize + pad, w.v0 * kSize + pad, w.u1 * kSize - pad,
                  w.v1 * kSize - pad, &fill);
    }
    // Transparent texels carry the rim's colour so that filtering fades the rim, not to black.
    Canvas c(kSize, kSize, fade(rimColour, 0));
    c.paint(dilate(fill, rim), rimColour);
    c.paint(fill, ink);
    return c;
}

}  // namespace

Canvas makeTitleWords(const Font& font) {
    return wordSheet(font, kTitleWords, 6, 5, 3, rgb(250, 250, 250), rgb(28, 28, 28));
}

Canvas makeCaptions(const Font& font) {
    // The headline is drawn larger on screen; its rim grows with it.
    Canvas c = wordSheet(font, kCaptions, 1, 6, 4, rgb(24, 24, 24), rgb(250, 250, 250));
    Canvas line = wordSheet(font, kCaptions + 1, 4, 5, 3, rgb(24, 24, 24), rgb(250, 250, 250));
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (line.at(x, y).a > 0) c.at(x, y) = over(c.at(x, y), line.at(x, y));
    return c;
}
