// PNG loading with libpng into 4-byte RGBA images with inverted alpha.
#pragma once

class Image;

// Loads the PNG file at `path` as an Image of red, green, blue and inverted alpha bytes
// (pitch = width, pixelFormat8888). Returns none when the file cannot be opened or decoded;
// then *reason (when given) points at a short text saying why, valid until the next call on
// this thread.
Image* loadPng(const char* path, const char** reason = nullptr);
