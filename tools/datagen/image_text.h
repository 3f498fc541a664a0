// Text for the generated images: one TrueType font's outlines rendered anti-aliased into masks.
#pragma once
#include <string>

#include "tools/datagen/image_raster.h"

// Where the ink of a line of text lies, in font units: y up, pen starting at 0 on the baseline.
struct InkBox {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    double width() const { return xMax - xMin; }
    double height() const { return yMax - yMin; }
};

class Font {
  public:
    Font() = default;
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Loads the font file; the other operations need a font that opened. Returns false with
    // *error naming the file when it cannot be used.
    bool open(const std::string& path, std::string* error);
    // The ink extent of `text` (ASCII) set on one line with the font's kerning.
    InkBox measure(const std::string& text) const;
    // Adds `text` to the mask with its pen starting at x and its baseline at y (pixels, y down),
    // scaled by sx and sy pixels per font unit. Overlapping glyphs combine as coverage.
    void draw(const std::string& text, double x, double y, double sx, double sy, Mask* mask) const;
    // Draws `text` so that its ink fills the pixel rectangle (x0, y0)-(x1, y1) exactly.
    void fill(const std::string& text, double x0, double y0, double x1, double y1,
              Mask* mask) const;
    // Draws `text` centred on (cx, cy) with ink height h and its width multiplied by `squeeze`.
    void centre(const std::string& text, double cx, double cy, double h, double squeeze,
                Mask* mask) const;

  private:
    struct State;
    State* state_ = nullptr;
};
