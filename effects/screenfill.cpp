// The full-screen colour fill: two triangles over the whole -1..1 screen.
#include "effects/screenfill.h"

#include "render/renderer.h"

void fillScreen(float r, float g, float b) {
    gRenderer->bindTexture0(0);
    MeshVertex corners[4] = {};
    const float screen[4][2] = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}};
    for (int k = 0; k < 4; ++k) {
        MeshVertex& v = corners[k];
        v.sx = screen[k][0];
        v.sy = screen[k][1];
        v.z = -1.0f;
        v.r = r;
        v.g = g;
        v.b = b;
    }
    gRenderer->drawTriangle(&corners[0], &corners[1], &corners[2]);
    gRenderer->drawTriangle(&corners[0], &corners[2], &corners[3]);
}
