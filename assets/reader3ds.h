// Reader of one named triangle-mesh object from a 3DS chunk file, with a chunk trace on stdout.
#pragma once
#include <cstdint>
#include <cstdio>

// The file being walked and the number of bytes consumed so far.
struct Reader3ds {
    FILE* file = nullptr;
    int32_t pos = 0;
    bool atEnd = false;  // set once a read met the end of the file; the walk then stops

    bool open(const char* path);
    void close();
    int readByte();
    uint32_t readU16();
    uint32_t readU32();
    float readFloat();
    // Reads bytes up to and including the NUL into buffer (at most size bytes kept, always
    // terminated); returns false when the file ends before the NUL.
    bool readString(char* buffer, int size);
};

// One chunk header being walked.
struct Chunk3ds {
    int32_t length = 0;
    int32_t endPos = 0;
    Reader3ds* reader = nullptr;
    uint32_t id = 0;

    void begin(Reader3ds& reader);
    void skipRest();
    bool hasMore() const;
    void print() const;
    void printIndented(const char* prefix) const;
};

// The object read: arrays allocated with new[] and owned by the caller (release with freeObject3ds).
struct Object3ds {
    int32_t vertexCount = 0;
    float* positions = nullptr;  // vertexCount x (x, y, z): the file's (X, Z, Y)
    float* texCoords = nullptr;  // vertexCount x (u, v): the file's (u, -v)
    int32_t faceCount = 0;
    uint32_t* faces = nullptr;  // faceCount x (a, b, c, material slot 0)
};

// Reads the object named `name` from the 3DS file at `path` into `out`. Returns true when the
// object was found with a vertex list and a face list; otherwise `out` is left empty (zero counts).
bool read3dsObject(const char* path, const char* name, Object3ds& out);
// Releases the arrays of an object and zeroes its counts.
void freeObject3ds(Object3ds& object);
