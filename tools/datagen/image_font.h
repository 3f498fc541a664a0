// The development overlay's font: printable ASCII in a grid of fixed cells, white ink on clear.
#pragma once
#include "tools/datagen/image_raster.h"
#include "tools/datagen/image_text.h"

// Cell layout shared with the show's overlay: 16 columns by 8 rows of 16 x 32 pixels, code c
// in column c % 16 and row c / 16 (row 0 at the top); codes 32 to 126 carry a glyph.
constexpr int kFontCellWidth = 16;
constexpr int kFontCellHeight = 32;
constexpr int kFontColumns = 16;
constexpr int kFontRows = 8;

// The grid, 256 x 256, drawn with a monospaced `font`: colour white, alpha the ink's coverage.
Canvas makeOverlayFont(const Font& font);
