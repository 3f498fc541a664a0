// Test harness for real drawing: an offscreen window with the show's GL set-up and renderer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "render/device.h"
#include "render/renderer.h"

// Opens (once per process) a window of the given size with the show's GL state and renderer,
// sets gRenderer to it and returns it; none (with *error) when GL cannot be set up. The renderer
// is the one SHOW_TEST_RENDERER names (gl1, the default, or gles2).
Renderer* openTestDisplay(int width, int height, std::string* error = nullptr);
// The same with the renderer named here. Both renderers share the one desktop context (the ES 2.0
// renderer through its desktop fallback, GL_ARB_ES2_compatibility); switching from the ES 2.0
// renderer to the GL 1.1 one takes the program and vertex arrays out of the way.
Renderer* openTestRenderer(RendererKind kind, int width, int height,
                           std::string* error = nullptr);
// The renderer SHOW_TEST_RENDERER names.
RendererKind testRendererKind();
// The renderer the last open returned; none before the first.
Renderer* currentTestRenderer();

// Reads the back buffer as RGBA bytes, top row first.
std::vector<uint8_t> readFrame(int width, int height);
// The RGBA colour of one pixel of the back buffer, (0, 0) being the top-left corner.
void readPixel(int x, int y, uint8_t rgba[4]);
// Writes RGBA bytes (top row first) as a PNG file; returns false on failure.
bool writePng(const std::string& path, const uint8_t* rgba, int width, int height);
// Writes the back buffer as a PNG file; returns false on failure.
bool saveFramePng(const std::string& path, int width, int height);
