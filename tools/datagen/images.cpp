// Writes the nineteen images of the show and the overlay font: maps, patterns, pictures, text.
#include <functional>
#include <vector>

#include "assets/dataset.h"
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
        {kFileEnvmap1, PngKind::Rgb16, [](std::vector<Colour>*) { return makeMetalEnvMap(); }},
        {kFileStripe, PngKind::Rgba, [](std::vector<Colour>*) { return makeTubeStripes(); }},
        {kFileStriber3, PngKind::Grey, [](std::vector<Colour>*) { return makeConeStripes(); }},
        {kFileFisse, PngKind::Rgba, [](std::vector<Colour>*) { return makeLiquidEnvMap(); }},
        {kFileOs, PngKind::GreyAlpha, [&](std::vector<Colour>*) { return makeTitleWords(font); }},
        {kFilePlettet, PngKind::Palette, [](std::vector<Colour>* p) { return makeSpots(p); }},
        {kFileCircles, PngKind::Palette, [](std::vector<Colour>* p) { return makeCircles(p); }},
        {kFileLogoenv, PngKind::Rgb, [](std::vector<Colour>*) { return makeGoldEnvMap(); }},
        {kFilePicture[0], PngKind::Rgba, picture(1, false)},
        {kFilePicture[1], PngKind::Rgba, picture(2, false)},
        {kFilePicture[2], PngKind::Rgba, picture(3, false)},
        {kFilePicture[3], PngKind::Rgba, picture(4, false)},
        {kFilePictureB[0], PngKind::Rgba, picture(1, true)},
        {kFilePictureB[1], PngKind::Rgba, picture(2, true)},
        {kFilePictureB[2], PngKind::Rgba, picture(3, true)},
        {kFilePictureB[3], PngKind::Rgba, picture(4, true)},
        {kFileVexpush, PngKind::Rgba, [&](std::vector<Colour>*) { return makeLogo(font); }},
        {kFileGreets, PngKind::Rgba, [&](std::vector<Colour>*) { return makeGreetings(font); }},
        {kFileTxt, PngKind::GreyAlpha, [&](std::vector<Colour>*) { return makeCaptions(font); }},
        // Read only in development mode, after the nineteen.
        {kFileFont, PngKind::GreyAlpha,
         [&](std::vector<Colour>*) { return makeOverlayFont(mono); }},
    };
    for (const ImageFile& f : files) {
        std::vector<Colour> palette;
        Canvas canvas = f.make(&palette);
        if (!writePng(dir + "/" + f.name, canvas, f.kind, error, palette)) return false;
    }
    return true;
}
