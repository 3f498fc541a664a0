// The OpenGL 1.1 renderer's maker in a build without that backend (the browser's: WebGL has no
// fixed-function pipeline). The display refuses the GL 1.1 renderer there before it asks.
#include "render/renderer_gl1.h"

Renderer* createGL1Renderer() {
    return nullptr;
}
