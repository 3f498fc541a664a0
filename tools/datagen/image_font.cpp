// Draws the overlay font grid: one glyph per cell, centred, on a common baseline.
#include "tools/datagen/image_font.h"

#include <string>

Canvas makeOverlayFont(const Font& font) {
    Mask mask(kFontColumns * kFontCellWidth, kFontRows * kFontCellHeight);
    // The em is 23 pixels: a monospaced advance (0.6 em) fills most of a 16-pixel cell, and
    // capitals (0.73 em) with descenders (0.24 em) fit the 32-pixel height below a baseline at 24.
    const double em = 23.0;
    const double scale = em / 2048.0;  // DejaVu's outlines are 2048 units to the em
    for (int c = 32; c < 127; ++c) {
        const std::string text(1, static_cast<char>(c));
        const InkBox ink = font.measure(text);
        const int col = c % kFontColumns, row = c / kFontColumns;
        // Each glyph is centred in its cell by its ink, so narrow marks sit in the middle.
        const double x =
            col * kFontCellWidth + 0.5 * kFontCellWidth - 0.5 * (ink.xMin + ink.xMax) * scale;
        const double baseline = row * kFontCellHeight + 24.0;
        font.draw(text, x, baseline, scale, scale, &mask);
    }
    Canvas canvas(mask.width(), mask.height(), Colour{1, 1, 1, 0});
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x) canvas.at(x, y).a = clamp01(mask.at(x, y));
    return canvas;
}
