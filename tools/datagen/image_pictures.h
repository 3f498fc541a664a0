// The show's pictures: four motifs in two colourings, the logo and the greetings panel.
#pragma once
#include "tools/datagen/image_raster.h"
#include "tools/datagen/image_text.h"

// Picture `motif` (1 to 4: sunburst, ringed planet, sea and moon, diamonds), 256 x 256, opaque
// inside a rounded frame whose outer corners are transparent. `contrast` picks the second
// colouring, far from the first in hue and brightness ("1.png" to "4b.png").
Canvas makePicture(int motif, bool contrast);
// The show's emblem on a transparent ground, 512 x 512 ("vexpush.png").
Canvas makeLogo(const Font& font);
// A panel of greetings to the libraries the show is built on, with transparent margins, 512 x 512
// ("greets.png").
Canvas makeGreetings(const Font& font);
