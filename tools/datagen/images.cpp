// Writes the nineteen images of the show and the overlay font: maps, patterns, pictures, text.
#include <functional>
#include <vector>

#include "tools/datagen/datagen.h"
#include "tools/datagen/image_font.h"
#include "tools/datagen/image_maps.h"
#include "tools/datagen/image_pictures.h"
#include "tools/datagen/image_png.h"
#include "tools/datagen/image_text.h"
#include "tools/datagen/image_words.h"

namespace {

const char* const kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const kMonoFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";

// One file of the set. The colour types differ on purpose, so that the set exercises every
// decoding path of the loader: palette (with and without transparency), grey, grey with alpha,
// RGB at 8 and 16 bits, and RGBA.
struct ImageFile {
    const char* name;
    PngKind kind;
    std::function<Canvas(std::vector<Colour>* palette)> make;
};

}  // namespace

bool writeImages(const std::string& dir, std::string* error) {
    Font font;
    if (!font.open(kFontPath, error)) return false;
    Font mono;
    if (!mono.open(kMonoFontPath, error)) return false;
    auto picture = [](int motif, bool contrast) {
        return [=](std::vector<Colour>*) { return makePicture(motif, contrast); };
    };
    const std::vector<ImageFile> files = {
        {"envmap1.png", PngKind::Rgb16, [](std::vector<Colour>*) { return makeMetalEnvMap(); }},
        {"stripe.png", PngKind::Rgba, [](std::vector<Colour>*) { return makeTubeStripes(); }},
        {"striber3.png", PngKind::Grey, [](std::vector<Colour>*) { return makeConeStripes(); }},
        {"fisse.png", PngKind::Rgba, [](std::vector<Colour>*) { return makeLiquidEnvMap(); }},
        {"os.png", PngKind::GreyAlpha, [&](std::vector<Colour>*) { return makeTitleWords(font); }},
        {"plettet.png", PngKind::Palette, [](std::vector<Colour>* p) { return makeSpots(p); }},
        {"circles.png", PngKind::Palette, [](std::vector<Colour>* p) { return makeCircles(p); }},
        {"logoenv.png", PngKind::Rgb, [](std::vector<Colour>*) { return makeGoldEnvMap(); }},
        {"1.png", PngKind::Rgba, picture(1, false)},
        {"2.png", PngKind::Rgba, picture(2, false)},
        {"3.png", PngKind::Rgba, picture(3, false)},
        {"4.png", PngKind::Rgba, picture(4, false)},
        {"1b.png", PngKind::Rgba, picture(1, true)},
        {"2b.png", PngKind::Rgba, picture(2, true)},
        {"3b.png", PngKind::Rgba, picture(3, true)},
        {"4b.png", PngKind::Rgba, picture(4, true)},
        {"vexpush.png", PngKind::Rgba, [&](std::vector<Colour>*) { return makeLogo(font); }},
        {"greets.png", PngKind::Rgba, [&](std::vector<Colour>*) { return makeGreetings(font); }},
        {"txt.png", PngKind::GreyAlpha, [&](std::vector<Colour>*) { return makeCaptions(font); }},
        // Read only in development mode, after the nineteen.
        {"font.png", PngKind::GreyAlpha,
         [&](std::vector<Colour>*) { return makeOverlayFont(mono); }},
    };
    for (const ImageFile& f : files) {
        std::vector<Colour> palette;
        Canvas canvas = f.make(&palette);
        if (!writePng(dir + "/" + f.name, canvas, f.kind, error, palette)) return false;
    }
    return true;
}
