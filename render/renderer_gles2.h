// The second renderer: the same pictures as the OpenGL 1.1 one through the OpenGL ES 2.0 feature
// set (GLSL ES 1.00 shaders, one vertex buffer streamed per batch), for ES 2.0 contexts, WebGL 1
// and desktop contexts with ES 2.0 compatibility.
#pragma once
#include <string>

class Renderer;

// Whether the current context can carry the ES 2.0 renderer: "" when it can (an ES 2.0 or later
// context, or a desktop one with GL_ARB_ES2_compatibility or version 4.1), else what it lacks.
std::string gles2ContextSupport();
// Sets the fixed state the show relies on (depth test greater-or-equal, clear colour black, clear
// depth 0) on the current context through the ES 2.0 entry points; false when one is missing.
bool setUpGLES2State();
// Makes the ES 2.0 renderer on the current context: entry points, shaders, the vertex buffer.
// Returns none (with the reason on standard error) when any of them cannot be had.
Renderer* createGLES2Renderer();
// Makes the ES 2.0 renderer's programs, buffer and textures again on a context that was lost and
// has come back empty (the renderer keeps each texture's bytes for this); the platform calls it.
void restoreGLES2Context();
// Draws the batch the ES 2.0 renderer holds, if any (part of flushRenderer).
void flushGLES2Renderer();
// Leaves GL as the fixed-function renderer expects it (no program, no vertex arrays): for a test
// or benchmark that draws with both renderers on one desktop context. The ES 2.0 renderer binds
// its own again at its next draw.
void suspendGLES2Renderer();
