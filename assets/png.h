// PNG loading with libpng into 4-byte RGBA images with inverted alpha.
#pragma once
#include <memory>
#include <string>

class Image;

// Loads the PNG file at `path` into *image as an Image of red, green, blue and inverted alpha
// bytes (pitch = width, pixelFormat8888). Returns "" on success; otherwise a short text saying
// why the file cannot be opened or decoded, and *image is left empty.
std::string loadPng(const char* path, std::unique_ptr<Image>* image);
