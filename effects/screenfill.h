// The full-screen colour fill.
#pragma once

// Unbinds texture unit 0 and covers the screen in (r, g, b), under the caller's blend state.
void fillScreen(float r, float g, float b);
