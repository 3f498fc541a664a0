// Writing canvases as PNG files of a chosen colour type with libpng.
#pragma once
#include <string>
#include <vector>

#include "tools/datagen/image_raster.h"

// The PNG colour types the data set uses; Rgb16 stores 16 bits per channel.
enum class PngKind { Grey, GreyAlpha, Rgb, Rgb16, Rgba, Palette };

// Writes the canvas to `path` as `kind`. Grey kinds store luma; Palette stores the index of the
// nearest entry of `palette` (and a transparency chunk when any entry is not opaque).
// Returns false with *error naming the file when it cannot be written.
bool writePng(const std::string& path, const Canvas& canvas, PngKind kind, std::string* error,
              const std::vector<Colour>& palette = {});

// The base colours followed by steps - 1 evenly spaced blends between every pair of them.
std::vector<Colour> blendPalette(const std::vector<Colour>& bases, int steps);
