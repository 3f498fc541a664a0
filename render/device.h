// The device factory and the OpenGL display device: display mode, GL context, fixed GL state.
#pragma once
#include <cstdint>

class Image;
class Renderer;

// A screen with a size and colour depth that can be opened and can make the renderer.
class DisplayDevice {
  public:
    int32_t width, height, bitsPerPixel;

    DisplayDevice(int32_t width, int32_t height, int32_t bitsPerPixel)
        : width(width), height(height), bitsPerPixel(bitsPerPixel) {}
    virtual ~DisplayDevice() = default;
    virtual Image* createSurface(const void* description) = 0;
    // Nonzero when the caller may write the surface's pixels.
    virtual int32_t lockSurface(Image* surface) = 0;
    virtual void unlockSurface() = 0;
    // Switches the display mode and sets up GL; returns none on success, else the error text.
    // Unlike the loaders and set-up steps, which return a std::string, this keeps the device
    // interface's own shape: a C string that the driver writes out as it stands.
    virtual const char* open() = 0;
    // Makes the renderer; the base has none.
    virtual Renderer* createRenderer() { return nullptr; }
};

// Which renderer the show draws with: the OpenGL 1.1 one (the default) or the ES 2.0 one.
enum class RendererKind { GL1, GLES2 };
// Chooses the renderer (and so the kind of GL context); call before the window is made.
void selectRenderer(RendererKind kind);
RendererKind selectedRenderer();
// Parses "gl1" or "gles2"; false, leaving `out` alone, for anything else.
bool parseRendererName(const char* name, RendererKind& out);

// The OpenGL device: no writable surfaces, one GL context on the show's window. With the ES 2.0
// renderer the context is an ES 2.0 one, or a desktop one that speaks the ES 2.0 shading language.
class OpenGLDisplayDevice : public DisplayDevice {
  public:
    OpenGLDisplayDevice(int32_t width, int32_t height, int32_t bitsPerPixel,
                        RendererKind kind = selectedRenderer())
        : DisplayDevice(width, height, bitsPerPixel), kind(kind) {}
    const RendererKind kind;
    Image* createSurface(const void*) override { return nullptr; }
    int32_t lockSurface(Image*) override { return 0; }
    void unlockSurface() override {}
    const char* open() override;
    Renderer* createRenderer() override;
};

// Makes the display device and shuts GL and the display mode down at the end.
class DeviceFactory {
  public:
    virtual ~DeviceFactory() = default;
    // Allocates an OpenGL display device; none when allocation fails.
    virtual DisplayDevice* createDevice(int width, int height, int bitsPerPixel);
    // Releases the GL context and restores the desktop's display mode.
    virtual void shutdown();
};

// OpenGL module state, shared by open and shutdown.
extern int32_t fullscreenActive;
extern int32_t allowUnaccelerated;
extern char displayErrorText[256];
