// Renders words into their texture rectangles, with a rim so they read on any background.
#include "tools/datagen/image_words.h"

// Our own opening line, one word per cell. The cells are shown 4:3 wider on screen than in the
// square texture, so each word was chosen for a natural width at that stretch.
const WordCell kTitleWords[6] = {
    {kTitleWordCells[0], "THE"},    {kTitleWordCells[1], "LIGHT"}, {kTitleWordCells[2], "TURNS"},
    {kTitleWordCells[3], "GOLDEN"}, {kTitleWordCells[4], "FOR"},   {kTitleWordCells[5], "YOU"},
};

const WordCell kCaptions[5] = {
    {kCaptionCells[0], "DIZZY"}, {kCaptionCells[1], "NOW"},  {kCaptionCells[2], "YOU"},
    {kCaptionCells[3], "SPIN"},  {kCaptionCells[4], "FAST"},
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
        const TextureCell& cell = cells[i].cell;
        font.fill(w.text, cell.u0 * kSize + pad, cell.v0 * kSize + pad, cell.u1 * kSize - pad,
                  cell.v1 * kSize - pad, &fill);
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
