// The asset table: every texture and mesh the show uses, loaded once before the music starts.
#pragma once
#include <string>

#include "effects/tentacles.h"
#include "scene/mesh.h"

// Texture names, handed out 1, 2, 3 ... in table order (0 until loaded).
extern int texEnvmap1;      // envmap1.png, 16-bit: the tube's sheen (Wave scene)
extern int texTentacleEnv;  // envmap1.png again (the same name): the tentacles' unit 1
extern int texStripe;       // stripe.png: the tube's stripes
extern int texStriber3;     // striber3.png: the Blob scene's cone
extern int texFisse;        // fisse.png: the Blob scene's ball
extern int texOs;           // os.png: the Title scene's six words
extern int texPlettet;      // plettet.png: the tentacles' unit 0
extern int texCircles;      // circles.png: the Figure scene's box
extern int texLogoenv;      // logoenv.png: environment map of the title text and the heart
extern int texPicture[4];   // 1.png .. 4.png: the Wave scene's plain picture set
extern int texPictureB[4];  // 1b.png .. 4b.png: the Wave scene's b set
extern int texVexpush;      // vexpush.png: the sliding picture and the closing logo
extern int texGreets;       // greets.png: the Heart scene's panel
extern int texTxt;          // txt.png: captions
extern int texFont;         // font.png: the development overlay's text; 0 outside that mode

// Meshes, empty until loaded.
extern Mesh meshTube;     // generated tube: Wave scene
extern Mesh meshText01;   // purple.3ds "Text01": Title scene
extern Mesh meshText02;   // purple.3ds "Text02": Title scene
extern Mesh meshHeart;    // hjerte~1.3ds "Shape02": Heart scene
extern Mesh meshSpiral;   // spiral.3ds "Shape1": Spiral scene
extern Mesh meshBall;     // ball2116.3ds "Object01": Blob scene
extern Mesh meshCone;     // striber.3ds "Cone01": Blob scene
extern Mesh meshBox;      // vexscene.3ds "Box05": Figure scene
extern Mesh meshDude;     // vexscene.3ds "dude": Figure scene
extern Mesh meshGlasses;  // vexscene.3ds "briller": Figure scene
extern Mesh meshLogo;     // vexpush1.3ds "Shape1": Logo zoom scene

// The closing effect.
extern TentacleField tentacleField;

// Loads every asset in table order through gRenderer, from the chosen data folder. Returns an
// empty string on success, else a message naming the file that could not be loaded and why.
std::string loadAssets();
// Development mode: loads what only it uses (the overlay font) after the table, so the show's
// texture names stay as they are. Returns an empty string or a message naming the file.
std::string loadDevAssets();
// Reloads every asset read from the data file `name` (a file name in the data folder):
// textures are re-specified under the names they have, meshes re-read into the storage they
// have (the running scene keeps pointers into it, so a replacement with other vertex or face
// counts is refused). A file that cannot be used leaves the old asset as it was, and the
// message names the file and the reason; otherwise, and for files no asset comes from, "".
std::string reloadDataFile(const char* name);
