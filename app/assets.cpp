// Placeholder asset table until the show's assets land.
#include "app/assets.h"

std::string loadAssets() { return ""; }
