// Reader of one named triangle-mesh object from a 3DS chunk file, with a chunk trace on stdout.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

// The file being walked and the number of bytes consumed so far (counted by the reader itself).
struct Reader3ds {
    FILE* file = nullptr;
    int32_t pos = 0;
    bool atEnd = false;  // set once a read met the end of the file; the walk then stops

    // Opens path for reading with pos = 0; returns false when it cannot be opened.
    bool open(const char* path);
    // Closes the file if open.
    void close();
    // One byte as 0..255; 0 (and atEnd set) at the end of the file.
    int readByte();
    // Little-endian 16-bit value; missing bytes read as 0 and set atEnd.
    uint32_t readU16();
    // Little-endian 32-bit value; missing bytes read as 0 and set atEnd.
    uint32_t readU32();
    // Little-endian IEEE single; missing bytes read as 0 and set atEnd.
    float readFloat();
    // Reads bytes up to and including the NUL, keeping at most size - 1 of them in buffer (always
    // terminated). Returns the string's full length in the file, or -1 when the file ends first.
    int readString(char* buffer, int size);
};

// One chunk header being walked.
struct Chunk3ds {
    int32_t length = 0;
    int32_t endPos = 0;
    Reader3ds* reader = nullptr;
    uint32_t id = 0;

    // Reads id and length and computes endPos; returns false when the file ends inside the header.
    bool begin(Reader3ds& reader);
    // Discards bytes until pos reaches endPos or the file ends.
    void skipRest();
    // True while the chunk has unread bytes and the file has not ended.
    bool hasMore() const;
    // Writes the trace line of this header to stdout.
    void print() const;
    // Writes prefix, then the trace line of this header, to stdout.
    void printIndented(const char* prefix) const;
};

// The object read: arrays allocated with new[] and owned by the caller (release with
// freeObject3ds).
struct Object3ds {
    int32_t vertexCount = 0;
    float* positions = nullptr;  // vertexCount x (x, y, z): the file's (X, Z, Y)
    float* texCoords = nullptr;  // vertexCount x (u, v): the file's (u, -v)
    int32_t faceCount = 0;
    uint32_t* faces = nullptr;  // faceCount x (a, b, c, material slot 0)
    int32_t mappingCount =
        0;  // entries in the file's mapping list; those past vertexCount are dropped
};

// Reads the object named `name` from the 3DS file at `path` into `out`. Returns "" when the
// object was found, complete, with a vertex list and a face list whose indices all lie below the
// vertex count; otherwise `out` is left empty (zero counts) and the text says why.
std::string read3dsObject(const char* path, const char* name, Object3ds& out);
// Releases the arrays of an object and zeroes its counts.
void freeObject3ds(Object3ds& object);
