// The asset table and its load stage: textures, 3DS meshes, the tube and the tentacle field.
#include "app/assets.h"

#include <memory>

#include "app/datafiles.h"
#include "assets/png.h"
#include "render/image.h"
#include "render/renderer.h"

int texEnvmap1 = 0;
int texTentacleEnv = 0;
int texStripe = 0;
int texStriber3 = 0;
int texFisse = 0;
int texOs = 0;
int texPlettet = 0;
int texCircles = 0;
int texLogoenv = 0;
int texPicture[4] = {};
int texPictureB[4] = {};
int texVexpush = 0;
int texGreets = 0;
int texTxt = 0;

// The effect is constructed before the meshes, as the show has always built them.
TentacleField tentacleField;
Mesh meshTube;
Mesh meshText01;
Mesh meshText02;
Mesh meshHeart;
Mesh meshSpiral;
Mesh meshBall;
Mesh meshCone;
Mesh meshBox;
Mesh meshDude;
Mesh meshGlasses;
Mesh meshLogo;

namespace {

enum class Kind { Texture, Mesh, Tentacles, Tube };

struct AssetRow {
    Kind kind;
    const char* file;
    const char* object;  // 3DS object name, for meshes
    int format;          // texture format code, for textures
    int* texture;
    Mesh* mesh;
};

// Texture names follow from this order (envmap1.png is 1, txt.png 19), so it must not change.
const AssetRow kAssetTable[] = {
    {Kind::Texture, "envmap1.png", nullptr, 2, &texEnvmap1, nullptr},
    {Kind::Texture, "stripe.png", nullptr, 1, &texStripe, nullptr},
    {Kind::Tentacles, nullptr, nullptr, 0, nullptr, nullptr},
    {Kind::Tube, nullptr, nullptr, 0, nullptr, &meshTube},
    {Kind::Mesh, "purple.3ds", "Text01", 0, nullptr, &meshText01},
    {Kind::Mesh, "purple.3ds", "Text02", 0, nullptr, &meshText02},
    {Kind::Mesh, "hjerte~1.3ds", "Shape02", 0, nullptr, &meshHeart},
    {Kind::Mesh, "spiral.3ds", "Shape1", 0, nullptr, &meshSpiral},
    {Kind::Mesh, "ball2116.3ds", "Object01", 0, nullptr, &meshBall},
    {Kind::Mesh, "striber.3ds", "Cone01", 0, nullptr, &meshCone},
    {Kind::Texture, "striber3.png", nullptr, 1, &texStriber3, nullptr},
    {Kind::Texture, "fisse.png", nullptr, 1, &texFisse, nullptr},
    {Kind::Texture, "os.png", nullptr, 1, &texOs, nullptr},
    {Kind::Texture, "plettet.png", nullptr, 1, &texPlettet, nullptr},
    {Kind::Texture, "circles.png", nullptr, 1, &texCircles, nullptr},
    {Kind::Mesh, "vexscene.3ds", "Box05", 0, nullptr, &meshBox},
    {Kind::Mesh, "vexscene.3ds", "dude", 0, nullptr, &meshDude},
    {Kind::Mesh, "vexscene.3ds", "briller", 0, nullptr, &meshGlasses},
    {Kind::Mesh, "vexpush1.3ds", "Shape1", 0, nullptr, &meshLogo},
    {Kind::Texture, "logoenv.png", nullptr, 1, &texLogoenv, nullptr},
    {Kind::Texture, "1.png", nullptr, 1, &texPicture[0], nullptr},
    {Kind::Texture, "2.png", nullptr, 1, &texPicture[1], nullptr},
    {Kind::Texture, "3.png", nullptr, 1, &texPicture[2], nullptr},
    {Kind::Texture, "4.png", nullptr, 1, &texPicture[3], nullptr},
    {Kind::Texture, "1b.png", nullptr, 1, &texPictureB[0], nullptr},
    {Kind::Texture, "2b.png", nullptr, 1, &texPictureB[1], nullptr},
    {Kind::Texture, "3b.png", nullptr, 1, &texPictureB[2], nullptr},
    {Kind::Texture, "4b.png", nullptr, 1, &texPictureB[3], nullptr},
    {Kind::Texture, "vexpush.png", nullptr, 1, &texVexpush, nullptr},
    {Kind::Texture, "greets.png", nullptr, 1, &texGreets, nullptr},
    {Kind::Texture, "txt.png", nullptr, 1, &texTxt, nullptr},
};

std::string loadRow(const AssetRow& row) {
    switch (row.kind) {
        case Kind::Texture: {
            const std::string path = dataPath(row.file);
            const char* reason = nullptr;
            std::unique_ptr<Image> image(loadPng(path.c_str(), &reason));
            if (!image)
                return "cannot load the image " + path + ": " + (reason ? reason : "unreadable") +
                       "\n";
            // The texture holds its own copy of the pixels, so the image goes once uploaded.
            *row.texture = gRenderer->createTexture(image.get(), row.format);
            if (row.texture == &texEnvmap1) texTentacleEnv = texEnvmap1;
            return "";
        }
        case Kind::Mesh: {
            const std::string path = dataPath(row.file);
            const char* reason = nullptr;
            if (!row.mesh->load3ds(path.c_str(), row.object, &reason))
                return "cannot load the object \"" + std::string(row.object) + "\" from " + path +
                       ": " + (reason ? reason : "unreadable") + "\n";
            return "";
        }
        case Kind::Tentacles:
            // Built once per process: a second load must not plant a second field.
            if (tentacleField.tentacleCount == 0) tentacleField.init();
            tentacleField.setScreen(800, 600, 32);
            return "";
        case Kind::Tube:
            if (!row.mesh->makeTube(80.0f, 20.0f, 30, 40))
                return "out of memory building the tube mesh\n";
            return "";
    }
    return "";
}

}  // namespace

std::string loadAssets() {
    for (const AssetRow& row : kAssetTable) {
        std::string error = loadRow(row);
        if (!error.empty()) return error;
    }
    return "";
}
