// Offscreen GL set-up for tests, frame read-back and PNG writing.
#include "support/gl_harness.h"

#include <GL/gl.h>
#include <png.h>

#include <cstdio>

#include "platform/platform.h"
#include "render/device.h"

namespace {
Renderer* testRenderer = nullptr;
int openWidth = 0, openHeight = 0;
}  // namespace

Renderer* openTestDisplay(int width, int height, std::string* error) {
    if (testRenderer) {
        gRenderer = testRenderer;
        return testRenderer;
    }
    std::string why = platformInit();
    if (why.empty()) why = platformCreateWindow(width, height, "test");
    if (!why.empty()) {
        if (error) *error = why;
        return nullptr;
    }
    static OpenGLDisplayDevice device(width, height, 32);
    if (const char* text = device.open()) {
        if (error) *error = text;
        return nullptr;
    }
    openWidth = width;
    openHeight = height;
    testRenderer = device.createRenderer();
    gRenderer = testRenderer;
    return testRenderer;
}

std::vector<uint8_t> readFrame(int width, int height) {
    std::vector<uint8_t> bottomUp(static_cast<size_t>(width) * height * 4);
    flushRenderer();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> topDown(bottomUp.size());
    size_t row = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::copy(bottomUp.begin() + (height - 1 - y) * row, bottomUp.begin() + (height - y) * row,
                  topDown.begin() + y * row);
    return topDown;
}

void readPixel(int x, int y, uint8_t rgba[4]) {
    flushRenderer();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, openHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

bool writePng(const std::string& path, const uint8_t* rgba, int width, int height) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, rgba, 0, nullptr) != 0;
}

bool saveFramePng(const std::string& path, int width, int height) {
    std::vector<uint8_t> frame = readFrame(width, height);
    for (size_t i = 3; i < frame.size(); i += 4) frame[i] = 255;  // the picture, not its alpha
    return writePng(path, frame.data(), width, height);
}
