// The asset table: every texture and mesh the show uses, loaded once before the music starts.
#pragma once
#include <string>

// Loads every asset in table order. Returns an empty string on success, else a message
// naming the file that could not be loaded and why.
std::string loadAssets();
