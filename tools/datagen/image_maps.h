// The show's procedural textures: sphere environment maps and seamless repeating patterns.
#pragma once
#include <vector>

#include "tools/datagen/image_raster.h"

// Chrome-like sphere map in cool steel tones with two highlights ("envmap1.png").
Canvas makeMetalEnvMap();
// Sea-green liquid sphere map with ripples; more transparent towards its centre ("fisse.png").
Canvas makeLiquidEnvMap();
// Warm gold sphere map. Everything outside the ball, the corners included, is one deep purple:
// a mesh drawn with all texture coordinates 0 takes that colour ("logoenv.png").
Canvas makeGoldEnvMap();
// The purple that fills the corners of the gold map.
Colour goldEnvMapCorner();
// Bands across the u axis only, every row alike, opaque cream over translucent blue ("stripe.png").
Canvas makeTubeStripes();
// Diagonal black and white stripes that repeat seamlessly on both axes ("striber3.png").
Canvas makeConeStripes();
// Spots on a translucent violet ground; *palette receives the colours to index ("plettet.png").
Canvas makeSpots(std::vector<Colour>* palette);
// Overlapping ringed circles on navy, opaque; *palette receives the colours ("circles.png").
Canvas makeCircles(std::vector<Colour>* palette);
