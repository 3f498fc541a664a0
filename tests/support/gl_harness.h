// Test harness for real drawing: an offscreen window with the show's GL set-up and renderer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "render/renderer.h"

// Opens (once per process) a window of the given size with the show's GL state and renderer,
// sets gRenderer to it and returns it; none (with *error) when GL cannot be set up.
Renderer* openTestDisplay(int width, int height, std::string* error = nullptr);

// Reads the back buffer as RGBA bytes, top row first.
std::vector<uint8_t> readFrame(int width, int height);
// The RGBA colour of one pixel of the back buffer, (0, 0) being the top-left corner.
void readPixel(int x, int y, uint8_t rgba[4]);
// Writes RGBA bytes (top row first) as a PNG file; returns false on failure.
bool writePng(const std::string& path, const uint8_t* rgba, int width, int height);
// Writes the back buffer as a PNG file; returns false on failure.
bool saveFramePng(const std::string& path, int width, int height);
