// The data set's contract: file names, object names, texture formats and order, word cells.
#pragma once

#include "render/renderer.h"

// Images: the environment maps, stripes and spots.
inline constexpr char kFileEnvmap1[] = "envmap1.png";
inline constexpr char kFileStripe[] = "stripe.png";
inline constexpr char kFileStriber3[] = "striber3.png";
inline constexpr char kFileFisse[] = "fisse.png";
inline constexpr char kFilePlettet[] = "plettet.png";
inline constexpr char kFileCircles[] = "circles.png";
inline constexpr char kFileLogoenv[] = "logoenv.png";
// Images: the two picture sets, the word sheets, the logo and the greetings panel.
inline constexpr const char* kFilePicture[4] = {"1.png", "2.png", "3.png", "4.png"};
inline constexpr const char* kFilePictureB[4] = {"1b.png", "2b.png", "3b.png", "4b.png"};
inline constexpr char kFileOs[] = "os.png";
inline constexpr char kFileTxt[] = "txt.png";
// The development overlay's glyphs, read only in development mode, after the nineteen.
inline constexpr char kFileFont[] = "font.png";
inline constexpr char kFileVexpush[] = "vexpush.png";
inline constexpr char kFileGreets[] = "greets.png";

// 3DS files and the named objects read from them.
inline constexpr char kFilePurple[] = "purple.3ds";
inline constexpr char kObjectText01[] = "Text01";
inline constexpr char kObjectText02[] = "Text02";
inline constexpr char kFileHjerte[] = "hjerte~1.3ds";
inline constexpr char kObjectHeart[] = "Shape02";
inline constexpr char kFileSpiral[] = "spiral.3ds";
inline constexpr char kObjectSpiral[] = "Shape1";
inline constexpr char kFileBall[] = "ball2116.3ds";
inline constexpr char kObjectBall[] = "Object01";
inline constexpr char kFileStriber[] = "striber.3ds";
inline constexpr char kObjectCone[] = "Cone01";
inline constexpr char kFileVexscene[] = "vexscene.3ds";
inline constexpr char kObjectBox[] = "Box05";
inline constexpr char kObjectDude[] = "dude";
inline constexpr char kObjectGlasses[] = "briller";
inline constexpr char kFileVexpush1[] = "vexpush1.3ds";
inline constexpr char kObjectLogo[] = "Shape1";

// The music module.
inline constexpr char kModuleFile[] = "qua#v3n.it";

// Texture formats: envmap1.png is uploaded at 16 bits, every other image at 32.
inline constexpr int kEnvmap1Format = GLS_FORMAT_RGB5;
inline constexpr int kImageFormat = GLS_FORMAT_RGBA8;

// The images in the order the show uploads them: texture name i + 1 is entry i.
inline constexpr const char* kTextureOrder[19] = {
    kFileEnvmap1,     kFileStripe,     kFileStriber3,    kFileFisse,       kFileOs,
    kFilePlettet,     kFileCircles,    kFileLogoenv,     kFilePicture[0],  kFilePicture[1],
    kFilePicture[2],  kFilePicture[3], kFilePictureB[0], kFilePictureB[1], kFilePictureB[2],
    kFilePictureB[3], kFileVexpush,    kFileGreets,      kFileTxt};

// A rectangle of a texture in texture coordinates (0..1, v down).
struct TextureCell {
    float u0, v0, u1, v1;
};

// The six title words of os.png, top to bottom, in the order the Title scene shows them.
inline constexpr TextureCell kTitleWordCells[6] = {
    {0.015625f, 0.0078125f, 0.3125f, 0.15234375f},
    {0.015625f, 0.1640625f, 0.45703125f, 0.30859375f},
    {0.015625f, 0.3203125f, 0.4921875f, 0.46484375f},
    {0.015625f, 0.4765625f, 0.59765625f, 0.62109375f},
    {0.015625f, 0.6328125f, 0.34375f, 0.77734375f},
    {0.015625f, 0.7890625f, 0.3125f, 0.93359375f},
};

// The captions of txt.png: the headline, then the four words of the line below it.
inline constexpr TextureCell kCaptionCells[5] = {
    {0.21484375f, 0.0f, 0.78125f, 0.17578125f},
    {0.02734375f, 0.17578125f, 0.2578125f, 0.2734375f},
    {0.27734375f, 0.17578125f, 0.4765625f, 0.2734375f},
    {0.4921875f, 0.17578125f, 0.703125f, 0.2734375f},
    {0.73046875f, 0.17578125f, 0.96875f, 0.2734375f},
};
