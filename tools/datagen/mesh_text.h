// Solid 3D words: glyph outlines of a TrueType font, triangulated and extruded along Y.
#pragma once
#include <string>

#include "tools/datagen/mesh_chunks.h"

// Font of the generated 3D words.
constexpr const char* kWordFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// Appends `word` as extruded letters reading along +X with Z up, front faces toward -Y, scaled
// to fit a width x height box in the XZ plane centred on `centre`, depth along Y. Vertices
// are shared between the caps and the sides so that averaged normals run smoothly round the
// edges. Faces come in the order back caps, sides, front caps, so that a front view drawn
// without depth test paints the fronts last. Letters with holes are refused. Returns false
// with *error naming the font or glyph on failure.
bool addWord(MeshObject& o, const std::string& fontPath, const std::string& word, FileVec centre,
             float width, float height, float depth, std::string* error);
