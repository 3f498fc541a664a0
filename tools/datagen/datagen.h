// The data generator's parts: each writes its files into the output folder.
#pragma once
#include <string>

// Writes the nineteen PNG images. Returns false with *error set on failure.
bool writeImages(const std::string& dir, std::string* error);
// Writes the seven 3DS files. Returns false with *error set on failure.
bool writeMeshes(const std::string& dir, std::string* error);
// Writes the Impulse Tracker module "qua#v3n.it". Returns false with *error set on failure.
bool writeMusic(const std::string& dir, std::string* error);
