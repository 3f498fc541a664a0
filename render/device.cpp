// Display set-up and shut-down: the mode switch, the GL context, the multitexture check.
#include "render/device.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform/platform.h"
#include "render/renderer_gl1.h"
#include "render/renderer_gles2.h"

int32_t fullscreenActive = 0;
int32_t allowUnaccelerated = 0;
char displayErrorText[256] = {};

namespace {

RendererKind rendererKind = RendererKind::GL1;
bool contextCreated = false;  // the GL context exists

void deleteContext() {
    platformDeleteContext();
    contextCreated = false;
}

// Says on standard error what the display lacks; the message box keeps its fixed text.
void explainFormat(const std::string& why) {
    std::fprintf(stderr, "display: %s\n", why.c_str());
}

// Creates and checks the GL context; returns the error text, empty on success.
const char* setUpOpenGL(RendererKind kind) {
    if (!platformHasWindow()) return "&GetDC on main window failed";
    std::string why = platformSetPixelFormat();
    if (!why.empty()) {
        explainFormat(why);
        return "ChoosePixelFormat failed\n";
    }
    if (!platformCreateContext()) {
        std::strcpy(displayErrorText, "wglCreateContext failed\n");
        return displayErrorText;
    }
    contextCreated = true;
    if (!platformMakeCurrent()) {
        std::strcpy(displayErrorText, "wglMakeCurrent failed\n");
        deleteContext();
        return displayErrorText;
    }
    // The format the driver gave is known only now that its context is current.
    why = platformCheckPixelFormat();
    if (!why.empty()) {
        explainFormat(why);
        platformReleaseCurrent();
        deleteContext();
        return "ChoosePixelFormat failed\n";
    }
    if (kind == RendererKind::GLES2) {
        why = gles2ContextSupport();
        if (why.empty() && !setUpGLES2State()) why = "an OpenGL ES 2.0 entry point is missing";
        if (!why.empty()) {
            explainFormat(why);
            std::strcpy(displayErrorText, "3d-card does not support OpenGL ES 2.0\n");
            platformReleaseCurrent();
            deleteContext();
            return displayErrorText;
        }
        platformShowWindow();
        platformFitViewport();
        return displayErrorText;
    }
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!extensions || !std::strstr(extensions, "GL_ARB_multitexture")) {
        std::strcpy(displayErrorText, "3d-card does not support multitexture\n");
        deleteContext();
        return displayErrorText;
    }
    platformShowWindow();
    platformFitViewport();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_GEQUAL);  // the renderer sends 1/z as depth: nearer is larger
    glClearColor(0, 0, 0, 0);
    glClearDepth(0.0);
    return displayErrorText;
}

}  // namespace

void selectRenderer(RendererKind kind) {
    rendererKind = kind;
    platformRequestES2Context(kind == RendererKind::GLES2);
}

RendererKind selectedRenderer() {
    return rendererKind;
}

bool parseRendererName(const char* name, RendererKind& out) {
    if (std::strcmp(name, "gl1") == 0)
        out = RendererKind::GL1;
    else if (std::strcmp(name, "gles2") == 0)
        out = RendererKind::GLES2;
    else
        return false;
    return true;
}

const char* OpenGLDisplayDevice::open() {
    allowUnaccelerated = 1;
    fullscreenActive = 1;
    std::memset(displayErrorText, 0, sizeof displayErrorText);
    platformRequestDisplayMode(width, height, bitsPerPixel);
    const char* text = setUpOpenGL(kind);
    if (text[0] == '\0') return nullptr;
    platformRestoreDisplayMode();
    platformShowMessage("FATAL ERROR", text);
    return text;
}

Renderer* OpenGLDisplayDevice::createRenderer() {
    if (kind == RendererKind::GLES2) return createGLES2Renderer();
    return createGL1Renderer();
}

DisplayDevice* DeviceFactory::createDevice(int width, int height, int bitsPerPixel) {
    return new (std::nothrow) OpenGLDisplayDevice(width, height, bitsPerPixel);
}

void DeviceFactory::shutdown() {
    if (contextCreated) {
        if (!platformReleaseCurrent() && !fullscreenActive)
            platformShowMessage("ERROR", "ShutdownOpenGL - wglMakeCurrent failed\n");
        if (!platformDeleteContext())
            platformShowMessage("ERROR", "ShutdownOpenGL - wglDeleteContext failed\n");
        contextCreated = false;
    }
    if (fullscreenActive) platformRestoreDisplayMode();
}
