// The word textures: the title's six words and the captions, each filling a fixed texture
// rectangle.
#pragma once
#include "assets/dataset.h"
#include "tools/datagen/image_raster.h"
#include "tools/datagen/image_text.h"

// A cell of a word texture and the word drawn into it.
struct WordCell {
    TextureCell cell;
    const char* text;
};

// The six title words, top to bottom, as the title scene's word table addresses them.
extern const WordCell kTitleWords[6];
// The captions: one headline and the four words of the line below it.
extern const WordCell kCaptions[5];

// White words with a dark rim on a transparent ground, 512 x 512 ("os.png").
Canvas makeTitleWords(const Font& font);
// Dark words with a white rim on a transparent ground, 512 x 512 ("txt.png").
Canvas makeCaptions(const Font& font);
