// The renderer the show draws with: set by the driver, read by every scene and effect.
#include "render/renderer.h"

Renderer* gRenderer = nullptr;
