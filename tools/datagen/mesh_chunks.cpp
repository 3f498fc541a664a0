// Lays out 3DS chunk files: the mesh chunks the show reads and the bookkeeping chunks around them.
#include "tools/datagen/mesh_chunks.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint16_t kMain = 0x4D4D;
constexpr uint16_t kVersion = 0x0002;
constexpr uint16_t kColour24 = 0x0011;
constexpr uint16_t kMasterScale = 0x0100;
constexpr uint16_t kEditor = 0x3D3D;
constexpr uint16_t kMeshVersion = 0x3D3E;
constexpr uint16_t kNamedObject = 0x4000;
constexpr uint16_t kTriMesh = 0x4100;
constexpr uint16_t kVertexList = 0x4110;
constexpr uint16_t kFaceList = 0x4120;
constexpr uint16_t kMaterialGroup = 0x4130;
constexpr uint16_t kMappingList = 0x4140;
constexpr uint16_t kSmoothGroups = 0x4150;
constexpr uint16_t kLocalAxis = 0x4160;
constexpr uint16_t kMaterial = 0xAFFF;
constexpr uint16_t kMaterialName = 0xA000;
constexpr uint16_t kAmbient = 0xA010;
constexpr uint16_t kDiffuse = 0xA020;
constexpr uint16_t kSpecular = 0xA030;
constexpr uint16_t kKeyframer = 0xB000;
constexpr uint16_t kKeyHeader = 0xB00A;
constexpr uint16_t kKeyFrames = 0xB008;
constexpr uint16_t kObjectNode = 0xB002;
constexpr uint16_t kNodeHeader = 0xB010;
constexpr uint16_t kNodePivot = 0xB013;
constexpr uint16_t kNodeId = 0xB030;

// All three edges of a face visible, as modelling tools write triangulated meshes.
constexpr uint16_t kFaceFlags = 0x0007;

void writeColour(ChunkWriter& w, uint16_t id, const uint8_t rgb[3], float scale) {
    w.begin(id);
    w.begin(kColour24);
    for (int i = 0; i < 3; ++i) w.u8(static_cast<uint32_t>(std::lround(rgb[i] * scale)));
    w.end();
    w.end();
}

void writeMaterial(ChunkWriter& w, const MeshObject& o) {
    static const uint8_t kWhite[3] = {229, 229, 229};
    w.begin(kMaterial);
    w.begin(kMaterialName);
    w.str(o.material);
    w.end();
    writeColour(w, kAmbient, o.colour, 0.3f);
    writeColour(w, kDiffuse, o.colour, 1.0f);
    writeColour(w, kSpecular, kWhite, 1.0f);
    w.end();
}

void writeObject(ChunkWriter& w, const MeshObject& o) {
    w.begin(kNamedObject);
    w.str(o.name);
    w.begin(kTriMesh);

    w.begin(kVertexList);
    w.u16(static_cast<uint32_t>(o.positions.size()));
    for (const FileVec& p : o.positions) {
        w.f32(p.x);
        w.f32(p.y);
        w.f32(p.z);
    }
    w.end();

    if (o.hasMapping) {
        w.begin(kMappingList);
        w.u16(static_cast<uint32_t>(o.mapping.size() / 2));
        for (float t : o.mapping) w.f32(t);
        w.end();
    }

    // Identity axes with the origin at the centre of the object's bounds.
    FileVec lo = o.positions[0], hi = o.positions[0];
    for (const FileVec& p : o.positions) {
        lo = {std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
        hi = {std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
    }
    w.begin(kLocalAxis);
    const float axes[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (float a : axes) w.f32(a);
    w.f32(0.5f * (lo.x + hi.x));
    w.f32(0.5f * (lo.y + hi.y));
    w.f32(0.5f * (lo.z + hi.z));
    w.end();

    size_t faceCount = o.faces.size() / 3;
    w.begin(kFaceList);
    w.u16(static_cast<uint32_t>(faceCount));
    for (size_t f = 0; f < faceCount; ++f) {
        for (int k = 0; k < 3; ++k) w.u16(o.faces[3 * f + k]);
        w.u16(kFaceFlags);
    }
    w.begin(kMaterialGroup);
    w.str(o.material);
    w.u16(static_cast<uint32_t>(faceCount));
    for (size_t f = 0; f < faceCount; ++f) w.u16(static_cast<uint32_t>(f));
    w.end();
    w.begin(kSmoothGroups);
    for (size_t f = 0; f < faceCount; ++f) w.u32(1);
    w.end();
    w.end();  // face list

    w.end();  // triangle mesh
    w.end();  // named object
}

void writeKeyframer(ChunkWriter& w, const std::vector<MeshObject>& objects) {
    w.begin(kKeyframer);
    w.begin(kKeyHeader);
    w.u16(5);
    w.str("MAXSCENE");
    w.u32(100);
    w.end();
    w.begin(kKeyFrames);
    w.u32(0);
    w.u32(100);
    w.end();
    for (size_t i = 0; i < objects.size(); ++i) {
        w.begin(kObjectNode);
        w.begin(kNodeId);
        w.u16(static_cast<uint32_t>(i));
        w.end();
        w.begin(kNodeHeader);
        w.str(objects[i].name);
        w.u16(0x4000);
        w.u16(0);
        w.u16(0xFFFF);  // no parent
        w.end();
        w.begin(kNodePivot);
        w.f32(0);
        w.f32(0);
        w.f32(0);
        w.end();
        w.end();
    }
    w.end();
}

}  // namespace

void ChunkWriter::begin(uint16_t id) {
    open_.push_back(bytes_.size());
    u16(id);
    u32(0);
}

void ChunkWriter::end() {
    if (open_.empty()) return;
    size_t start = open_.back();
    open_.pop_back();
    uint32_t length = static_cast<uint32_t>(bytes_.size() - start);
    for (int i = 0; i < 4; ++i) bytes_[start + 2 + i] = static_cast<uint8_t>(length >> (8 * i));
}

void ChunkWriter::u16(uint32_t v) {
    u8(v & 0xFF);
    u8((v >> 8) & 0xFF);
}

void ChunkWriter::u32(uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
}

void ChunkWriter::f32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u32(bits);
}

void ChunkWriter::str(const std::string& s) {
    for (char c : s) u8(static_cast<unsigned char>(c));
    u8(0);
}

bool checkObject(const MeshObject& o, std::string* error) {
    auto fail = [&](const std::string& what) {
        *error = "object \"" + o.name + "\": " + what;
        return false;
    };
    if (o.name.empty() || o.name.size() > kMaxObjectName) return fail("name must be 1 to 31 bytes");
    if (o.material.empty() || o.material.size() > kMaxMaterialName)
        return fail("material name must be 1 to 19 bytes");
    if (o.faces.size() % 3 != 0) return fail("face list is not a list of triangles");
    size_t n = o.positions.size(), m = o.faces.size() / 3;
    if (n == 0 || m == 0) return fail("has no vertices or no faces");
    if (n > 0xFFFF || m > 0xFFFF) return fail("more than 65535 vertices or faces");
    if (o.hasMapping && o.mapping.size() != 2 * n)
        return fail("mapping list does not match the vertex list");
    for (size_t f = 0; f < m; ++f) {
        const uint16_t* idx = &o.faces[3 * f];
        if (idx[0] >= n || idx[1] >= n || idx[2] >= n)
            return fail("face " + std::to_string(f) + " names a missing vertex");
        const FileVec &a = o.positions[idx[0]], &b = o.positions[idx[1]], &c = o.positions[idx[2]];
        double e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
        double cx = e1[1] * e2[2] - e1[2] * e2[1], cy = e1[2] * e2[0] - e1[0] * e2[2],
               cz = e1[0] * e2[1] - e1[1] * e2[0];
        // A face without area has no normal, and the show's environment mapping needs one.
        if (!(cx * cx + cy * cy + cz * cz > 1e-12))
            return fail("face " + std::to_string(f) + " has no area");
    }
    return true;
}

std::vector<uint8_t> build3dsFile(const std::vector<MeshObject>& objects) {
    ChunkWriter w;
    w.begin(kMain);
    w.begin(kVersion);
    w.u32(3);
    w.end();
    w.begin(kEditor);
    w.begin(kMeshVersion);
    w.u32(3);
    w.end();
    for (size_t i = 0; i < objects.size(); ++i) {
        bool seen = false;  // one material block per distinct material name
        for (size_t j = 0; j < i; ++j) seen = seen || objects[j].material == objects[i].material;
        if (!seen) writeMaterial(w, objects[i]);
    }
    w.begin(kMasterScale);
    w.f32(1.0f);
    w.end();
    for (const MeshObject& o : objects) writeObject(w, o);
    w.end();  // editor
    writeKeyframer(w, objects);
    w.end();  // main
    return w.bytes();
}

bool write3dsFile(const std::string& path, const std::vector<MeshObject>& objects,
                  std::string* error) {
    for (const MeshObject& o : objects) {
        if (!checkObject(o, error)) {
            *error = path + ": " + *error;
            return false;
        }
    }
    std::vector<uint8_t> bytes = build3dsFile(objects);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) *error = "cannot write " + path + ": " + std::strerror(errno);
    return ok;
}
