// Tests of the 3DS reader: the chunk trace, axis conventions, damaged files and real files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "assets/reader3ds.h"
#include "inspect_tool.h"

namespace fs = std::filesystem;

namespace {

// Builds a 3DS file in memory; chunk lengths are patched in when a chunk is closed.
class File3ds {
  public:
    File3ds& open(uint16_t id) {
        u16(id);
        starts_.push_back(bytes.size());
        return u32(0);
    }
    File3ds& close() {
        size_t start = starts_.back() - 2;
        starts_.pop_back();
        uint32_t length = bytes.size() - start;
        for (int i = 0; i < 4; ++i) bytes[start + 2 + i] = length >> (8 * i);
        return *this;
    }
    File3ds& u16(uint32_t v) {
        bytes.push_back(v & 255);
        bytes.push_back(v >> 8 & 255);
        return *this;
    }
    File3ds& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    File3ds& f(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    File3ds& str(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
        return *this;
    }
    // A vertex list of the given file-space triples.
    File3ds& vertices(const std::vector<float>& xyz) {
        open(0x4110).u16(xyz.size() / 3);
        for (float v : xyz) f(v);
        return close();
    }
    File3ds& faces(const std::vector<uint16_t>& abc) {
        open(0x4120).u16(abc.size() / 3);
        for (size_t i = 0; i < abc.size(); i += 3)
            u16(abc[i]).u16(abc[i + 1]).u16(abc[i + 2]).u16(7);
        return close();
    }
    File3ds& mapping(const std::vector<float>& uv) {
        open(0x4140).u16(uv.size() / 2);
        for (float v : uv) f(v);
        return close();
    }
    // Writes the file to the temporary folder and returns its path. The name carries the test's,
    // since CTest runs the tests of this file at the same time, each in its own process.
    std::string save(const std::string& name) const {
        const char* test = testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::path path = fs::path(testing::TempDir()) / (std::string(test) + "-" + name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path.string();
    }

    std::vector<unsigned char> bytes;

  private:
    std::vector<size_t> starts_;
};

// A file with one plain object and a mesh whose lists come from `body`.
template <typename Body>
std::string oneObject(const std::string& fileName, const std::string& objectName, Body body) {
    File3ds f;
    f.open(0x4D4D).open(0x3D3D).open(0x4000).str(objectName).open(0x4100);
    body(f);
    f.close().close().close().close();
    return f.save(fileName);
}

struct Result {
    bool found;
    Object3ds object;
    std::string trace;
    std::string reason;
};

Result read(const std::string& path, const char* name) {
    Result r{};
    testing::internal::CaptureStdout();
    r.reason = read3dsObject(path.c_str(), name, r.object);
    r.trace = testing::internal::GetCapturedStdout();
    r.found = r.reason.empty();
    return r;
}

void expectEmpty(const Object3ds& o) {
    EXPECT_EQ(o.vertexCount, 0);
    EXPECT_EQ(o.faceCount, 0);
    EXPECT_EQ(o.positions, nullptr);
    EXPECT_EQ(o.texCoords, nullptr);
    EXPECT_EQ(o.faces, nullptr);
}

std::vector<float> floats(const float* p, int n) {
    return std::vector<float>(p, p + n);
}

std::string twoObjectFile() {
    File3ds f;
    f.open(0x4D4D).open(0x0002).u32(3).close().open(0x3D3D);
    f.open(0x4000).str("Text01").open(0x4100).vertices({9, 9, 9}).faces({0, 0, 0}).close().close();
    f.open(0x4000).str("Text02").open(0x4100);
    f.vertices({1, 2, 3, 4, 5, 6, 7, 8, 9}).mapping({0.25f, 0.75f, 0.5f, 1});
    f.open(0x4120).u16(1).u16(0).u16(1).u16(2).u16(0xFFFF);
    f.open(0x4130).str("Mat").u16(1).u16(0).close().close();
    f.close().close().close();
    f.open(0xB000).open(0xB002).u16(1).close().close();
    f.close();
    return f.save("two-objects.3ds");
}

}  // namespace

TEST(Reader3ds, TraceOfTwoObjectFileListsOnlyTheWantedObjectsChildren) {
    Result r = read(twoObjectFile(), "Text02");
    ASSERT_TRUE(r.found) << r.reason;
    EXPECT_EQ(r.trace,
              "CHUNK: id:4d4d length:208 endpos:208\n"
              " CHUNK: id:2 length:10 endpos:16\n"
              " CHUNK: id:3d3d length:178 endpos:194\n"
              "  CHUNK: id:4000 length:55 endpos:77\n"
              "Text01\n"
              "  CHUNK: id:4000 length:117 endpos:194\n"
              "Text02\n"
              "   CHUNK: id:4100 length:104 endpos:194\n"
              "    CHUNK: id:4110 length:44 endpos:140\n"
              "    CHUNK: id:4140 length:24 endpos:164\n"
              "    CHUNK: id:4120 length:30 endpos:194\n"
              "     CHUNK: id:4130 length:14 endpos:194\n"
              " CHUNK: id:b000 length:14 endpos:208\n");
    freeObject3ds(r.object);
}

TEST(Reader3ds, AxesMappingAndFacesFollowTheShowsConventions) {
    Result r = read(twoObjectFile(), "Text02");
    ASSERT_TRUE(r.found) << r.reason;
    const Object3ds& o = r.object;
    ASSERT_EQ(o.vertexCount, 3);
    EXPECT_EQ(floats(o.positions, 9), (std::vector<float>{1, 3, 2, 4, 6, 5, 7, 9, 8}));
    EXPECT_EQ(floats(o.texCoords, 6), (std::vector<float>{0.25f, -0.75f, 0.5f, -1, 0, 0}));
    EXPECT_EQ(o.mappingCount, 2);
    ASSERT_EQ(o.faceCount, 1);
    EXPECT_EQ(std::vector<uint32_t>(o.faces, o.faces + 4), (std::vector<uint32_t>{0, 1, 2, 0}));
    freeObject3ds(r.object);
    expectEmpty(r.object);

    // Names are exact and case-sensitive; the first object has no mapping list.
    EXPECT_FALSE(read(twoObjectFile(), "text02").found);
    Result first = read(twoObjectFile(), "Text01");
    ASSERT_TRUE(first.found);
    EXPECT_EQ(floats(first.object.texCoords, 2), (std::vector<float>{0, 0}));
    freeObject3ds(first.object);
}

TEST(Reader3ds, LaterObjectOfTheSameNameWinsAndUnknownChunksAreSkipped) {
    File3ds f;
    f.open(0x1234).open(0x3D3D);
    f.open(0x4000).str("Box").open(0x4100).vertices({1, 1, 1}).faces({0, 0, 0}).close().close();
    f.open(0xAFFF).open(0x4000).str("Hidden").close().close();  // a material, never entered
    f.open(0x4000).str("Box").open(0x4100).vertices({5, 6, 7, 8, 9, 10}).faces({1, 0, 1});
    f.close().close().close().close();
    Result r = read(f.save("duplicate.3ds"), "Box");
    ASSERT_TRUE(r.found) << r.reason;
    EXPECT_EQ(floats(r.object.positions, 6), (std::vector<float>{5, 7, 6, 8, 10, 9}));
    EXPECT_EQ(std::vector<uint32_t>(r.object.faces, r.object.faces + 4),
              (std::vector<uint32_t>{1, 0, 1, 0}));
    EXPECT_EQ(r.trace.find("Hidden"), std::string::npos);
    EXPECT_EQ(r.trace.rfind("CHUNK: id:1234", 0), 0u);
    freeObject3ds(r.object);
}

// Damaged or incomplete objects come back empty and false, with the reason.
TEST(Reader3ds, IncompleteOrInconsistentObjectsAreRejected) {
    struct Case {
        const char* file;
        std::vector<uint16_t> faces;
        bool withVertices, withFaces;
        const char* reason;
    } cases[] = {
        {"no-faces.3ds", {}, true, false, "no face list"},
        {"no-vertices.3ds", {0, 0, 0}, false, true, "no vertex list"},
        {"bad-index.3ds", {0, 1, 2}, true, true, "missing vertex"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string path = oneObject(c.file, "Obj", [&](File3ds& f) {
            if (c.withVertices) f.vertices({0, 0, 0, 1, 1, 1});
            if (c.withFaces) f.faces(c.faces);
        });
        Result r = read(path, "Obj");
        EXPECT_FALSE(r.found);
        EXPECT_NE(r.reason.find(c.reason), std::string::npos) << r.reason;
        expectEmpty(r.object);
    }

    Result missing = read(twoObjectFile(), "Text03");
    EXPECT_FALSE(missing.found);
    EXPECT_EQ(missing.reason, "not found");
    expectEmpty(missing.object);

    Result noFile = read((fs::path(testing::TempDir()) / "absent.3ds").string(), "Obj");
    EXPECT_FALSE(noFile.found);
    EXPECT_EQ(noFile.reason, "cannot open file");
}

// Lists and names that do not fit their places are bounded instead of overrunning memory.
TEST(Reader3ds, OversizedListsAndNamesStayInBounds) {
    // A mapping list before the vertex list writes nothing; one longer than it is cut.
    std::string path = oneObject("mapping.3ds", "Obj", [](File3ds& f) {
        f.mapping({1, 1, 2, 2, 3, 3, 4, 4});
        f.vertices({0, 0, 0, 1, 1, 1}).faces({0, 1, 0});
        f.mapping({0.5f, 0.5f, 0.25f, 0.25f, 9, 9});
        // A material group naming faces that do not exist, with an over-long material name.
        f.open(0x4120).u16(1).u16(1).u16(0).u16(1).u16(0);
        f.open(0x4130).str(std::string(40, 'm')).u16(3).u16(0).u16(1).u16(60000).close().close();
    });
    Result r = read(path, "Obj");
    ASSERT_TRUE(r.found) << r.reason;
    EXPECT_EQ(r.object.vertexCount, 2);
    EXPECT_EQ(r.object.mappingCount, 3);
    EXPECT_EQ(floats(r.object.texCoords, 4), (std::vector<float>{0.5f, -0.5f, 0.25f, -0.25f}));
    EXPECT_EQ(std::vector<uint32_t>(r.object.faces, r.object.faces + 4),
              (std::vector<uint32_t>{1, 0, 1, 0}));
    freeObject3ds(r.object);

    // A long object name is cut to 31 bytes and cannot be matched through its cut form; the walk
    // stays in step and still finds the object after it.
    std::string longName(40, 'n');
    File3ds f;
    f.open(0x4D4D).open(0x3D3D);
    f.open(0x4000).str(longName).open(0x4100).vertices({1, 1, 1}).faces({0, 0, 0}).close().close();
    f.open(0x4000).str("After").open(0x4100).vertices({2, 2, 2}).faces({0, 0, 0}).close().close();
    f.close().close();
    path = f.save("long-name.3ds");
    Result cut = read(path, longName.substr(0, 31).c_str());
    EXPECT_FALSE(cut.found);
    EXPECT_NE(cut.trace.find("\n" + longName.substr(0, 31) + "\n"), std::string::npos);
    EXPECT_EQ(cut.trace.find(longName.substr(0, 32)), std::string::npos);
    Result after = read(path, "After");
    ASSERT_TRUE(after.found);
    EXPECT_EQ(after.object.positions[0], 2);
    freeObject3ds(after.object);
}

// The end of the file ends the walk, whatever lengths the file claims.
TEST(Reader3ds, EndOfFileEndsTheWalk) {
    File3ds f;
    f.open(0x4D4D).open(0x3D3D);
    f.open(0x4000).str("Obj").open(0x4100).vertices({1, 2, 3}).faces({0, 0, 0}).close().close();
    f.close().close();
    // Root lengths of about 2 GB and 4 GB around a complete object.
    for (uint32_t length : {0x7FFFFFF0u, 0xFFFFFFFFu}) {
        File3ds big = f;
        for (int i = 0; i < 4; ++i) big.bytes[2 + i] = length >> (8 * i);
        Result r = read(big.save("huge-root.3ds"), "Obj");
        EXPECT_EQ(r.found, length == 0x7FFFFFF0u) << r.reason;
        freeObject3ds(r.object);
    }

    // Cut inside the object name (an unterminated string) and inside the vertex list.
    const size_t nameEnd = 6 + 6 + 6 + 2;
    for (size_t cut : {nameEnd, nameEnd + 6 + 6 + 2 + 5}) {
        File3ds part = f;
        part.bytes.resize(cut);
        Result r = read(part.save("cut.3ds"), "Obj");
        EXPECT_FALSE(r.found);
        expectEmpty(r.object);
    }

    Result empty = read(File3ds().save("empty.3ds"), "Obj");
    EXPECT_FALSE(empty.found);
    EXPECT_EQ(empty.trace, "");
}

namespace {

struct Counts {
    int vertices = -1, faces = -1, mapping = 0;
};

uint32_t le(const std::vector<unsigned char>& d, size_t at, int size) {
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | (at + i < d.size() ? d[at + i] : 0);
    return v;
}

// An independent count of every named object's lists, by walking the chunk tree in memory.
void collect(const std::vector<unsigned char>& d, size_t from, size_t to, int depth,
             std::map<std::string, Counts>& objects, const std::string& current) {
    while (from + 6 <= to) {
        uint32_t id = le(d, from, 2), length = le(d, from + 2, 4);
        if (length < 6 || from + length > to) break;
        size_t data = from + 6, end = from + length;
        if (depth == 0 && id == 0x3D3D) {
            collect(d, data, end, 1, objects, "");
        } else if (depth == 1 && id == 0x4000) {
            std::string name(reinterpret_cast<const char*>(&d[data]));
            objects[name] = Counts();
            collect(d, data + name.size() + 1, end, 2, objects, name);
        } else if (depth == 2 && id == 0x4100) {
            collect(d, data, end, 3, objects, current);
        } else if (depth == 3 && id == 0x4110) {
            objects[current].vertices = le(d, data, 2);
        } else if (depth == 3 && id == 0x4120) {
            objects[current].faces = le(d, data, 2);
        } else if (depth == 3 && id == 0x4140) {
            objects[current].mapping = le(d, data, 2);
        }
        from = end;
    }
}

}  // namespace

TEST(Reader3dsFixtures, EveryObjectOfRealFilesIsFoundWithItsCounts) {
    int meshes = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(SHOW_FIXTURES_DIR) / "3ds")) {
        std::string ext = entry.path().extension().string();
        if (ext != ".3ds" && ext != ".3DS") continue;
        std::string path = entry.path().string();
        SCOPED_TRACE(path);
        std::ifstream in(path, std::ios::binary);
        std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), {});
        std::map<std::string, Counts> objects;
        collect(d, 6, std::min<size_t>(d.size(), le(d, 2, 4)), 0, objects, "");
        ASSERT_FALSE(objects.empty());
        for (const auto& [name, want] : objects) {
            SCOPED_TRACE(name);
            Result r = read(path, name.c_str());
            bool mesh = want.vertices >= 0 && want.faces >= 0;
            EXPECT_EQ(r.found, mesh) << r.reason;
            EXPECT_NE(r.trace.find("\n" + name + "\n"), std::string::npos);
            if (mesh) {
                ++meshes;
                EXPECT_EQ(r.object.vertexCount, want.vertices);
                EXPECT_EQ(r.object.faceCount, want.faces);
                EXPECT_EQ(r.object.mappingCount, want.mapping);
            } else {
                expectEmpty(r.object);
            }
            freeObject3ds(r.object);
        }
        Result none = read(path, "NoSuchObject");
        EXPECT_FALSE(none.found);
        expectEmpty(none.object);
    }
    EXPECT_GE(meshes, 10);
}

// The inspection tool shows the object as the show sees it: x negated after the reader's swap.
TEST(InspectTool, SummarisesA3dsObjectAndFailsOnAMissingOne) {
    SKIP_WITHOUT_INSPECT();
    std::string path = twoObjectFile();
    ToolRun run = runInspect("3ds '" + path + "' Text02");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("CHUNK: id:4d4d length:208 endpos:208\n", 0), 0u);
    EXPECT_NE(run.out.find("object \"Text02\": found\nvertices: 3\nfaces: 1\n"
                           "mapping coordinates: 2\nbounds: min (-7, 3, 2) max (-1, 9, 8)\n"),
              std::string::npos)
        << run.out;

    run = runInspect("3ds '" + path + "' Text09");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
    run = runInspect("3ds /nonexistent/file.3ds Text02");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot open"), std::string::npos) << run.err;
    EXPECT_EQ(runInspect("3ds '" + path + "'").status, 2);
    EXPECT_EQ(runInspect("--help").status, 0);
}
