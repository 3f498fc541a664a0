// The asset table and its load stage: textures, 3DS meshes, the tube and the tentacle field.
#include "app/assets.h"

#include <cstring>
#include <memory>

#include "app/datafiles.h"
#include "assets/dataset.h"
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
int texFont = 0;

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

// DevTexture rows are textures that only development mode loads, after the rest.
enum class Kind { Texture, Mesh, Tentacles, Tube, DevTexture };

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
    {Kind::Texture, kFileEnvmap1, nullptr, kEnvmap1Format, &texEnvmap1, nullptr},
    {Kind::Texture, kFileStripe, nullptr, kImageFormat, &texStripe, nullptr},
    {Kind::Tentacles, nullptr, nullptr, 0, nullptr, nullptr},
    {Kind::Tube, nullptr, nullptr, 0, nullptr, &meshTube},
    {Kind::Mesh, kFilePurple, kObjectText01, 0, nullptr, &meshText01},
    {Kind::Mesh, kFilePurple, kObjectText02, 0, nullptr, &meshText02},
    {Kind::Mesh, kFileHjerte, kObjectHeart, 0, nullptr, &meshHeart},
    {Kind::Mesh, kFileSpiral, kObjectSpiral, 0, nullptr, &meshSpiral},
    {Kind::Mesh, kFileBall, kObjectBall, 0, nullptr, &meshBall},
    {Kind::Mesh, kFileStriber, kObjectCone, 0, nullptr, &meshCone},
    {Kind::Texture, kFileStriber3, nullptr, kImageFormat, &texStriber3, nullptr},
    {Kind::Texture, kFileFisse, nullptr, kImageFormat, &texFisse, nullptr},
    {Kind::Texture, kFileOs, nullptr, kImageFormat, &texOs, nullptr},
    {Kind::Texture, kFilePlettet, nullptr, kImageFormat, &texPlettet, nullptr},
    {Kind::Texture, kFileCircles, nullptr, kImageFormat, &texCircles, nullptr},
    {Kind::Mesh, kFileVexscene, kObjectBox, 0, nullptr, &meshBox},
    {Kind::Mesh, kFileVexscene, kObjectDude, 0, nullptr, &meshDude},
    {Kind::Mesh, kFileVexscene, kObjectGlasses, 0, nullptr, &meshGlasses},
    {Kind::Mesh, kFileVexpush1, kObjectLogo, 0, nullptr, &meshLogo},
    {Kind::Texture, kFileLogoenv, nullptr, kImageFormat, &texLogoenv, nullptr},
    {Kind::Texture, kFilePicture[0], nullptr, kImageFormat, &texPicture[0], nullptr},
    {Kind::Texture, kFilePicture[1], nullptr, kImageFormat, &texPicture[1], nullptr},
    {Kind::Texture, kFilePicture[2], nullptr, kImageFormat, &texPicture[2], nullptr},
    {Kind::Texture, kFilePicture[3], nullptr, kImageFormat, &texPicture[3], nullptr},
    {Kind::Texture, kFilePictureB[0], nullptr, kImageFormat, &texPictureB[0], nullptr},
    {Kind::Texture, kFilePictureB[1], nullptr, kImageFormat, &texPictureB[1], nullptr},
    {Kind::Texture, kFilePictureB[2], nullptr, kImageFormat, &texPictureB[2], nullptr},
    {Kind::Texture, kFilePictureB[3], nullptr, kImageFormat, &texPictureB[3], nullptr},
    {Kind::Texture, kFileVexpush, nullptr, kImageFormat, &texVexpush, nullptr},
    {Kind::Texture, kFileGreets, nullptr, kImageFormat, &texGreets, nullptr},
    {Kind::Texture, kFileTxt, nullptr, kImageFormat, &texTxt, nullptr},
    {Kind::DevTexture, kFileFont, nullptr, kImageFormat, &texFont, nullptr},
};

// Reads the image of a texture row into *image; "" on success, else the file and why.
std::string readRowImage(const AssetRow& row, std::unique_ptr<Image>* image) {
    const std::string path = dataPath(row.file);
    const std::string reason = loadPng(path.c_str(), image);
    if (!reason.empty()) return "cannot load the image " + path + ": " + reason + "\n";
    return "";
}

std::string meshError(const AssetRow& row, const std::string& path, const std::string& reason) {
    return "cannot load the object \"" + std::string(row.object) + "\" from " + path + ": " +
           reason + "\n";
}

std::string loadRow(const AssetRow& row) {
    switch (row.kind) {
        case Kind::Texture:
        case Kind::DevTexture: {
            std::unique_ptr<Image> image;
            const std::string error = readRowImage(row, &image);
            if (!error.empty()) return error;
            // The texture holds its own copy of the pixels, so the image goes once uploaded.
            *row.texture = gRenderer->createTexture(image.get(), row.format);
            if (row.texture == &texEnvmap1) texTentacleEnv = texEnvmap1;
            return "";
        }
        case Kind::Mesh: {
            const std::string path = dataPath(row.file);
            const std::string reason = row.mesh->load3ds(path.c_str(), row.object);
            return reason.empty() ? "" : meshError(row, path, reason);
        }
        case Kind::Tentacles:
            // Built once per process: a second load must not plant a second field.
            if (tentacleField.tentacleCount == 0) {
                const std::string error = tentacleField.init();
                if (!error.empty()) return error + "\n";
            }
            tentacleField.setScreen(800, 600, 32);
            return "";
        case Kind::Tube:
            if (!row.mesh->makeTube(80.0f, 20.0f, 30, 40))
                return "out of memory building the tube mesh\n";
            return "";
    }
    return "";
}

// Re-reads a mesh row into the storage its mesh has, keeping every pointer into it valid.
std::string reloadMeshRow(const AssetRow& row) {
    const std::string path = dataPath(row.file);
    Mesh fresh;
    const std::string reason = fresh.load3ds(path.c_str(), row.object);
    if (!reason.empty()) return meshError(row, path, reason);
    Mesh& mesh = *row.mesh;
    if (fresh.vertices.count != mesh.vertices.count || fresh.faces.count != mesh.faces.count)
        return "cannot reload the object \"" + std::string(row.object) + "\" from " + path +
               ": it has " + std::to_string(fresh.vertices.count) + " vertices and " +
               std::to_string(fresh.faces.count) + " faces where the running show holds " +
               std::to_string(mesh.vertices.count) + " and " + std::to_string(mesh.faces.count) +
               "; restart the show to use it\n";
    const size_t n = static_cast<size_t>(mesh.vertices.count);
    for (VertexArray* dst : {&mesh.vertices, &mesh.restVertices}) {
        const VertexArray& src = dst == &mesh.vertices ? fresh.vertices : fresh.restVertices;
        std::memcpy(dst->positions, src.positions, n * sizeof(Vector3));
        std::memcpy(dst->verts, src.verts, n * sizeof(MeshVertex));
    }
    for (int i = 0; i < mesh.faces.count; ++i) {
        MeshFace& face = mesh.faces.faces[i];
        face = fresh.faces.faces[i];
        for (int k = 0; k < 3; ++k) face.corners[k] = &mesh.vertices.verts[face.indices[k]];
    }
    return "";
}

}  // namespace

std::string loadAssets() {
    for (const AssetRow& row : kAssetTable) {
        if (row.kind == Kind::DevTexture) continue;
        std::string error = loadRow(row);
        if (!error.empty()) return error;
    }
    return "";
}

std::string loadDevAssets() {
    for (const AssetRow& row : kAssetTable) {
        if (row.kind != Kind::DevTexture) continue;
        std::string error = loadRow(row);
        if (!error.empty()) return error;
    }
    return "";
}

std::string reloadDataFile(const char* name) {
    std::string errors;
    for (const AssetRow& row : kAssetTable) {
        if (!row.file || std::strcmp(row.file, name) != 0) continue;
        if (row.kind == Kind::Mesh) {
            errors += reloadMeshRow(row);
        } else if (*row.texture != 0) {  // a texture not loaded (the font outside --dev) stays so
            std::unique_ptr<Image> image;
            const std::string error = readRowImage(row, &image);
            if (!error.empty()) {
                errors += error;
                continue;
            }
            // Between frames: the binding the update makes must not leak into the next frame.
            gRenderer->saveState();
            gRenderer->updateTexture(*row.texture, image.get(), row.format);
            gRenderer->restoreState();
        }
    }
    return errors;
}
