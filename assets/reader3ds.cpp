// Walks a 3DS chunk file, tracing every header it visits, and keeps the one named mesh object.
#include "assets/reader3ds.h"

#include <climits>
#include <cstring>

namespace {

constexpr uint32_t kEditorChunk = 0x3D3D;
constexpr uint32_t kObjectChunk = 0x4000;
constexpr uint32_t kMeshChunk = 0x4100;
constexpr uint32_t kVertexListChunk = 0x4110;
constexpr uint32_t kFaceListChunk = 0x4120;
constexpr uint32_t kMaterialGroupChunk = 0x4130;
constexpr uint32_t kMappingListChunk = 0x4140;

constexpr int kObjectNameSize = 32;
constexpr int kMaterialNameSize = 20;

// Everything one walk gathers about the wanted object.
struct Walk {
    Reader3ds& reader;
    const char* wanted;
    Object3ds object;
    bool found = false;
    bool hasVertexList = false;
    bool hasFaceList = false;
    bool truncated = false;  // the file ended inside one of the object's lists
};

// Reads up to n bytes and counts them; a short read marks the end of the file and zeroes the rest.
void readBytes(Reader3ds& r, unsigned char* bytes, int n) {
    size_t got = r.atEnd ? 0 : std::fread(bytes, 1, n, r.file);
    for (int i = static_cast<int>(got); i < n; ++i) bytes[i] = 0;
    // The position is a 32-bit count: a file too long for it ends there.
    if (static_cast<int64_t>(r.pos) + static_cast<int64_t>(got) > INT32_MAX) {
        r.atEnd = true;
        return;
    }
    r.pos += static_cast<int32_t>(got);
    if (static_cast<int>(got) < n) r.atEnd = true;
}

void readVertexList(Walk& w) {
    Object3ds& o = w.object;
    int n = static_cast<int>(w.reader.readU16());
    delete[] o.positions;
    delete[] o.texCoords;
    o.vertexCount = n;
    o.positions = new float[n * 3]();
    o.texCoords = new float[n * 2]();
    for (int i = 0; i < n && !w.reader.atEnd; ++i) {
        float f1 = w.reader.readFloat(), f2 = w.reader.readFloat(), f3 = w.reader.readFloat();
        // The file's Z axis is up: it becomes the second component.
        o.positions[3 * i] = f1;
        o.positions[3 * i + 1] = f3;
        o.positions[3 * i + 2] = f2;
    }
    w.hasVertexList = true;
    if (w.reader.atEnd) w.truncated = true;
}

void readMaterialGroup(Walk& w) {
    char material[kMaterialNameSize];
    if (w.reader.readString(material, kMaterialNameSize) < 0) return;
    int k = static_cast<int>(w.reader.readU16());
    for (int i = 0; i < k && !w.reader.atEnd; ++i) {
        uint32_t face = w.reader.readU16();
        // Every face shares material slot 0; an index past the list is ignored.
        if (face < static_cast<uint32_t>(w.object.faceCount)) w.object.faces[4 * face + 3] = 0;
    }
}

void readFaceList(Walk& w, const Chunk3ds& list) {
    Object3ds& o = w.object;
    int m = static_cast<int>(w.reader.readU16());
    delete[] o.faces;
    o.faceCount = m;
    o.faces = new uint32_t[m * 4]();
    for (int i = 0; i < m && !w.reader.atEnd; ++i) {
        o.faces[4 * i] = w.reader.readU16();
        o.faces[4 * i + 1] = w.reader.readU16();
        o.faces[4 * i + 2] = w.reader.readU16();
        w.reader.readU16();  // face flags are not used
        o.faces[4 * i + 3] = 0;
    }
    w.hasFaceList = true;
    if (w.reader.atEnd) {
        w.truncated = true;
        return;
    }
    while (list.hasMore()) {
        Chunk3ds sub;
        if (!sub.begin(w.reader)) break;
        sub.printIndented("     ");
        if (sub.id == kMaterialGroupChunk) readMaterialGroup(w);
        sub.skipRest();
    }
}

void readMappingList(Walk& w) {
    Object3ds& o = w.object;
    int k = static_cast<int>(w.reader.readU16());
    o.mappingCount = k;
    for (int i = 0; i < k && !w.reader.atEnd; ++i) {
        float u = w.reader.readFloat(), v = w.reader.readFloat();
        // Only entries that have a vertex are kept; before a vertex list there are none.
        if (i < o.vertexCount) {
            o.texCoords[2 * i] = u;
            o.texCoords[2 * i + 1] = -v;
        }
    }
    if (w.reader.atEnd) w.truncated = true;
}

void walkMesh(Walk& w, const Chunk3ds& mesh) {
    while (mesh.hasMore()) {
        Chunk3ds child;
        if (!child.begin(w.reader)) break;
        child.printIndented("    ");
        if (child.id == kVertexListChunk)
            readVertexList(w);
        else if (child.id == kFaceListChunk)
            readFaceList(w, child);
        else if (child.id == kMappingListChunk)
            readMappingList(w);
        child.skipRest();
    }
}

void walkObject(Walk& w, const Chunk3ds& object) {
    while (object.hasMore()) {
        Chunk3ds child;
        if (!child.begin(w.reader)) break;
        child.printIndented("   ");
        if (child.id == kMeshChunk) walkMesh(w, child);
        child.skipRest();
    }
}

void walkEditor(Walk& w, const Chunk3ds& editor) {
    while (editor.hasMore()) {
        Chunk3ds child;
        if (!child.begin(w.reader)) break;
        child.printIndented("  ");
        if (child.id == kObjectChunk) {
            char name[kObjectNameSize];
            int length = w.reader.readString(name, kObjectNameSize);
            if (length < 0) break;
            std::printf("%s\n", name);
            // A name cut to fit the buffer is not the name asked for.
            if (length < kObjectNameSize && std::strcmp(name, w.wanted) == 0) {
                w.found = true;
                walkObject(w, child);
            }
        }
        child.skipRest();
    }
}

// Why the gathered object cannot be used, or none when it can.
const char* rejection(const Walk& w) {
    if (!w.found) return "not found";
    if (!w.hasVertexList) return "no vertex list";
    if (!w.hasFaceList) return "no face list";
    if (w.truncated) return "file ends inside the object";
    const Object3ds& o = w.object;
    for (int i = 0; i < o.faceCount; ++i)
        for (int k = 0; k < 3; ++k)
            if (o.faces[4 * i + k] >= static_cast<uint32_t>(o.vertexCount))
                return "a face refers to a missing vertex";
    return nullptr;
}

}  // namespace

bool Reader3ds::open(const char* path) {
    file = std::fopen(path, "rb");
    pos = 0;
    atEnd = file == nullptr;
    return file != nullptr;
}

void Reader3ds::close() {
    if (file) std::fclose(file);
    file = nullptr;
}

int Reader3ds::readByte() {
    unsigned char b;
    readBytes(*this, &b, 1);
    return b;
}

uint32_t Reader3ds::readU16() {
    unsigned char b[2];
    readBytes(*this, b, 2);
    return b[0] | (b[1] << 8);
}

uint32_t Reader3ds::readU32() {
    unsigned char b[4];
    readBytes(*this, b, 4);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

float Reader3ds::readFloat() {
    uint32_t bits = readU32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

int Reader3ds::readString(char* buffer, int size) {
    int length = 0;
    for (;;) {
        int c = readByte();
        if (atEnd) {
            buffer[length < size ? length : size - 1] = '\0';
            return -1;
        }
        if (c == 0) break;
        if (length < size - 1) buffer[length] = static_cast<char>(c);
        ++length;
    }
    buffer[length < size ? length : size - 1] = '\0';
    return length;
}

bool Chunk3ds::begin(Reader3ds& r) {
    reader = &r;
    id = r.readU16();
    uint32_t rawLength = r.readU32();
    length = static_cast<int32_t>(rawLength);
    // Unsigned arithmetic wraps instead of overflowing for absurd lengths; the walk then simply
    // finds no room inside the chunk (or meets the end of the file first).
    endPos = static_cast<int32_t>(static_cast<uint32_t>(r.pos) + rawLength - 6u);
    return !r.atEnd;
}

void Chunk3ds::skipRest() {
    while (hasMore()) reader->readByte();
}

bool Chunk3ds::hasMore() const {
    return reader && !reader->atEnd && reader->pos < endPos;
}

void Chunk3ds::print() const {
    std::printf("CHUNK: id:%x length:%i endpos:%i\n", id, length, endPos);
}

void Chunk3ds::printIndented(const char* prefix) const {
    std::printf("%s", prefix);
    print();
}

std::string read3dsObject(const char* path, const char* name, Object3ds& out) {
    out = Object3ds();
    Reader3ds reader;
    if (!reader.open(path)) return "cannot open file";
    Walk w{reader, name, Object3ds()};
    Chunk3ds root;
    if (root.begin(reader)) {
        root.printIndented("");
        while (root.hasMore()) {
            Chunk3ds child;
            if (!child.begin(reader)) break;
            child.printIndented(" ");
            if (child.id == kEditorChunk) walkEditor(w, child);
            child.skipRest();
        }
    }
    reader.close();

    const char* why = rejection(w);
    if (why) {
        freeObject3ds(w.object);
        return why;
    }
    out = w.object;
    return "";
}

void freeObject3ds(Object3ds& object) {
    delete[] object.positions;
    delete[] object.texCoords;
    delete[] object.faces;
    object = Object3ds();
}
