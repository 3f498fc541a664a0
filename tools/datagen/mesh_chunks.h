// Writer of 3DS chunk files as a modelling tool lays them out, for the generated meshes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// File coordinates: X right, Y away from a front view, Z up.
struct FileVec {
    float x, y, z;
};

// One named triangle-mesh object in file coordinates. Faces wind counter-clockwise seen from
// outside (right-handed), so their normals point outwards.
struct MeshObject {
    std::string name;
    std::vector<FileVec> positions;
    std::vector<float> mapping;   // u, v per vertex
    bool hasMapping = false;      // whether the mapping list is written to the file
    std::vector<uint16_t> faces;  // three vertex indices per face
    std::string material;
    uint8_t colour[3];  // the material's diffuse colour
};

// A growing byte image of nested chunks; each chunk's length is patched when it closes.
class ChunkWriter {
  public:
    // Opens a chunk with a placeholder length.
    void begin(uint16_t id);
    // Closes the innermost open chunk, writing its length (header included).
    void end();
    // Little-endian values: a byte, 16 and 32 bits, a single-precision float.
    void u8(uint32_t v) { bytes_.push_back(static_cast<uint8_t>(v)); }
    void u16(uint32_t v);
    void u32(uint32_t v);
    void f32(float v);
    // Writes the bytes of s and a terminating NUL.
    void str(const std::string& s);
    // The chunks written so far; complete once every begin has its end.
    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
    std::vector<size_t> open_;
};

// Longest names the show's reader keeps: object names of 31 and material names of 19 bytes.
constexpr size_t kMaxObjectName = 31;
constexpr size_t kMaxMaterialName = 19;

// Checks what a 3DS file can hold: 16-bit counts, indices inside the vertex list, no face
// without area, a mapping pair per vertex, names within the reader's buffers. Returns false
// with *error naming the object on the first violation.
bool checkObject(const MeshObject& object, std::string* error);

// Builds the bytes of a whole 3DS file (version, editor block with mesh version, materials and
// objects, keyframer) holding the given objects in order.
std::vector<uint8_t> build3dsFile(const std::vector<MeshObject>& objects);

// Checks the objects and writes them as the 3DS file at path. Returns false with *error naming
// the file or object on failure.
bool write3dsFile(const std::string& path, const std::vector<MeshObject>& objects,
                  std::string* error);
