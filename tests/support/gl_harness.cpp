// Offscreen GL set-up for tests, frame read-back and PNG writing.
#include "support/gl_harness.h"

#include <GL/gl.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "render/device.h"
#include "render/renderer_gles2.h"

namespace {
Renderer* testRenderer = nullptr;        // the GL 1.1 renderer
GLES2Renderer* gles2Renderer = nullptr;  // the ES 2.0 renderer, made when first asked for
Renderer* current = nullptr;
int openWidth = 0, openHeight = 0;

Renderer* openGL1(int width, int height, std::string* error) {
    if (testRenderer) return testRenderer;
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
    return testRenderer;
}

}  // namespace

RendererKind testRendererKind() {
    const char* name = std::getenv("SHOW_TEST_RENDERER");
    RendererKind kind = RendererKind::GL1;
    if (name) parseRendererName(name, kind);
    return kind;
}

Renderer* currentTestRenderer() {
    return current;
}

Renderer* openTestDisplay(int width, int height, std::string* error) {
    return openTestRenderer(testRendererKind(), width, height, error);
}

Renderer* openTestRenderer(RendererKind kind, int width, int height, std::string* error) {
    if (!openGL1(width, height, error)) return nullptr;
    if (kind == RendererKind::GL1) {
        if (gles2Renderer) gles2Renderer->suspend();
        current = testRenderer;
    } else {
        if (!gles2Renderer) {
            std::string why = gles2ContextSupport();
            if (why.empty() && !setUpGLES2State()) why = "an ES 2.0 entry point is missing";
            if (why.empty()) gles2Renderer = createGLES2Renderer();
            if (!gles2Renderer) {
                if (error) *error = why.empty() ? "the ES 2.0 renderer cannot be made" : why;
                return nullptr;
            }
        }
        current = gles2Renderer;
    }
    gRenderer = current;
    return current;
}

std::vector<uint8_t> readFrame(int width, int height) {
    std::vector<uint8_t> bottomUp(static_cast<size_t>(width) * height * 4);
    if (current) current->flush();
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
    if (current) current->flush();
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
