// Checks the generated 3DS meshes as the show reads them, and where the scenes' cameras see them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "assets/reader3ds.h"
#include "scene/camera.h"

namespace {

const std::string kDataDir = SHOW_DATA_DIR;

// An object as the show holds it: the reader's positions with x negated, so file (X, Y, Z)
// is (-X, Z, Y) here, and mapping (u, -v).
struct ShowMesh {
    std::vector<Vector3> p;
    std::vector<float> uv;
    std::vector<std::array<int, 3>> faces;
};

ShowMesh load(const std::string& file, const std::string& name) {
    Object3ds o;
    ShowMesh m;
    std::string path = kDataDir + "/" + file;
    EXPECT_EQ(read3dsObject(path.c_str(), name.c_str(), o), "") << path << " " << name;
    for (int i = 0; i < o.vertexCount; ++i) {
        m.p.push_back({-o.positions[3 * i], o.positions[3 * i + 1], o.positions[3 * i + 2]});
        m.uv.push_back(o.texCoords[2 * i]);
        m.uv.push_back(o.texCoords[2 * i + 1]);
    }
    for (int f = 0; f < o.faceCount; ++f)
        m.faces.push_back({int(o.faces[4 * f]), int(o.faces[4 * f + 1]), int(o.faces[4 * f + 2])});
    freeObject3ds(o);
    return m;
}

struct Box {
    Vector3 lo, hi;
};

Box bounds(const ShowMesh& m) {
    Box b{{1e30f, 1e30f, 1e30f}, {-1e30f, -1e30f, -1e30f}};
    for (const Vector3& v : m.p) {
        b.lo = {std::min(b.lo.x, v.x), std::min(b.lo.y, v.y), std::min(b.lo.z, v.z)};
        b.hi = {std::max(b.hi.x, v.x), std::max(b.hi.y, v.y), std::max(b.hi.z, v.z)};
    }
    return b;
}

bool contains(const Box& outer, const Box& inner) {
    return outer.lo.x <= inner.lo.x && outer.lo.y <= inner.lo.y && outer.lo.z <= inner.lo.z &&
           outer.hi.x >= inner.hi.x && outer.hi.y >= inner.hi.y && outer.hi.z >= inner.hi.z;
}

std::string describe(const Box& b) {
    char text[160];
    std::snprintf(text, sizeof text, "x %.1f..%.1f y %.1f..%.1f z %.1f..%.1f", b.lo.x, b.hi.x,
                  b.lo.y, b.hi.y, b.lo.z, b.hi.z);
    return text;
}

Vector3 sub(Vector3 a, Vector3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vector3 crossOf(Vector3 a, Vector3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vector3 normalOf(const ShowMesh& m, const std::array<int, 3>& f) {
    Vector3 n = crossOf(sub(m.p[f[1]], m.p[f[0]]), sub(m.p[f[2]], m.p[f[0]]));
    float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    return {n.x / len, n.y / len, n.z / len};
}

// Screen position of a point through a scene camera, as the mesh pipeline computes it.
struct Screen {
    float sx, sy, z;
};
struct View {
    Camera camera;
    Matrix44 m;
    View(float fov, float aspect, double halfAngle, Vector3 eye, Vector3 target, float roll) {
        setupSceneCamera(camera, fov, aspect, halfAngle);
        camera.eye = eye;
        camera.target = target;
        camera.roll = roll;
        buildViewMatrix(m, camera);
    }
    Screen operator()(Vector3 p) const {
        float v[3];
        for (int r = 0; r < 3; ++r)
            v[r] = m.at(r, 0) * p.x + m.at(r, 1) * p.y + m.at(r, 2) * p.z + m.at(r, 3);
        return {v[0] / v[2], -(v[1] / v[2]), v[2]};
    }
};

View titleView(float h) {
    return View(61, 1.0f, kHalfAngle61,
                {30 * std::sin(h), 30 * std::sin(3 * h), 15 * std::cos(h) - 250}, {0, 0, 0}, 180);
}

struct Named {
    const char* file;
    const char* object;
    int maxFaces;    // entries of the depth list the scene draws it from
    bool envMapped;  // the scene averages vertex normals over it
    Box inner;       // the object's bounds must cover this box ...
    Box outer;       // ... and stay inside this one
};

// Boxes in the show's axes (x left in the usual front view, y up, z away from the eye).
// clang-format off
const Named kObjects[] = {
    {"purple.3ds", "Text01", 50000, true,
     {{-90, 45, -4}, {90, 70, 4}}, {{-125, 30, -12}, {125, 90, 12}}},
    {"purple.3ds", "Text02", 50000, false,
     {{-70, -92, -4}, {70, -68, 4}}, {{-110, -110, -12}, {110, -45, 12}}},
    {"hjerte~1.3ds", "Shape02", 50000, true,
     {{-35, -30, -10}, {35, 30, 10}}, {{-55, -50, -30}, {55, 50, 30}}},
    {"spiral.3ds", "Shape1", 10000, false,
     {{-45, -40, 0}, {45, 40, 0}}, {{-75, -75, -0.5f}, {75, 75, 0.5f}}},
    {"ball2116.3ds", "Object01", 50000, true,
     {{-75, -75, -75}, {75, 75, 75}}, {{-90, -90, -90}, {90, 90, 90}}},
    {"striber.3ds", "Cone01", 20000, false,
     {{-200, -200, 0}, {200, 200, 1000}}, {{-300, -300, -300}, {300, 300, 4500}}},
    {"vexscene.3ds", "Box05", 10000, false,
     {{-200, -95, -360}, {330, 175, 60}}, {{-600, -300, -600}, {600, 400, 600}}},
    {"vexscene.3ds", "dude", 10000, false,
     {{-30, -150, 45}, {30, 50, 57}}, {{-80, -180, 0}, {80, 80, 100}}},
    {"vexscene.3ds", "briller", 10000, false,
     {{-15, 42, 35}, {15, 47, 50}}, {{-30, 25, 20}, {30, 65, 65}}},
    {"vexpush1.3ds", "Shape1", 50000, false,
     {{-28, -28, 0}, {28, 28, 0}}, {{-40, -40, -0.5f}, {40, 40, 0.5f}}},
};
// clang-format on

// --- The files as chunk trees ---------------------------------------------------------------

std::vector<uint8_t> readFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return bytes;
}

uint32_t le(const std::vector<uint8_t>& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + i];
    return v;
}

struct ChunkWalk {
    explicit ChunkWalk(const std::vector<uint8_t>& b) : bytes(b) {}
    const std::vector<uint8_t>& bytes;
    std::vector<std::pair<uint32_t, uint32_t>> seen;  // (id, parent id) of every chunk
    std::vector<std::string> objects;                 // object names in file order
    std::string fault;

    // Walks the chunks between begin and end; containers are walked into.
    void walk(size_t begin, size_t end, uint32_t parent) {
        size_t at = begin;
        while (at < end && fault.empty()) {
            if (at + 6 > end) {
                fault = "header crosses its parent's end at " + std::to_string(at);
                return;
            }
            uint32_t id = le(bytes, at, 2), length = le(bytes, at + 2, 4);
            if (length < 6 || at + length > end) {
                fault = "chunk " + std::to_string(id) + " at " + std::to_string(at) +
                        " runs past its parent";
                return;
            }
            seen.push_back({id, parent});
            size_t data = at + 6, stop = at + length;
            if (id == 0x4000) {
                std::string name(reinterpret_cast<const char*>(&bytes[data]));
                objects.push_back(name);
                data += name.size() + 1;
            }
            if (id == 0x4120) data += 2 + 8 * le(bytes, data, 2);
            static const uint32_t kContainers[] = {0x3D3D, 0x4000, 0x4100, 0x4120, 0xAFFF,
                                                   0xA010, 0xA020, 0xA030, 0xB000, 0xB002};
            if (std::find(std::begin(kContainers), std::end(kContainers), id) !=
                std::end(kContainers))
                walk(data, stop, id);
            at = stop;
        }
    }
    bool has(uint32_t id, uint32_t parent) const {
        return std::count(seen.begin(), seen.end(), std::make_pair(id, parent)) > 0;
    }
    int count(uint32_t id) const {
        return int(std::count_if(seen.begin(), seen.end(), [&](auto& s) { return s.first == id; }));
    }
};

TEST(DatagenMeshes, FilesAreChunkTreesAsAModellingToolWritesThem) {
    const std::map<std::string, std::vector<std::string>> files = {
        {"purple.3ds", {"Text01", "Text02"}}, {"hjerte~1.3ds", {"Shape02"}},
        {"spiral.3ds", {"Shape1"}},           {"ball2116.3ds", {"Object01"}},
        {"striber.3ds", {"Cone01"}},          {"vexscene.3ds", {"Box05", "dude", "briller"}},
        {"vexpush1.3ds", {"Shape1"}}};
    for (const auto& [file, names] : files) {
        SCOPED_TRACE(file);
        std::vector<uint8_t> bytes = readFile(kDataDir + "/" + file);
        ASSERT_GE(bytes.size(), 6u);
        EXPECT_EQ(le(bytes, 0, 2), 0x4D4Du);
        EXPECT_EQ(le(bytes, 2, 4), bytes.size()) << "the root chunk spans the whole file";
        ChunkWalk w(bytes);
        w.walk(6, bytes.size(), 0x4D4D);
        EXPECT_EQ(w.fault, "");
        EXPECT_EQ(w.objects, names);
        // The chunks the show reads ...
        EXPECT_TRUE(w.has(0x3D3D, 0x4D4D));
        EXPECT_EQ(w.count(0x4100), int(names.size()));
        EXPECT_EQ(w.count(0x4110), int(names.size()));
        EXPECT_EQ(w.count(0x4120), int(names.size()));
        EXPECT_EQ(w.count(0x4130), int(names.size()));
        // ... and those it must step over.
        EXPECT_TRUE(w.has(0x0002, 0x4D4D));
        EXPECT_TRUE(w.has(0x3D3E, 0x3D3D));
        EXPECT_TRUE(w.has(0xA000, 0xAFFF));
        EXPECT_TRUE(w.has(0x0011, 0xA020));
        EXPECT_TRUE(w.has(0xB000, 0x4D4D));
        EXPECT_EQ(w.count(0x4160), int(names.size()));
    }
}

// --- Counts, limits and surfaces --------------------------------------------------------------

TEST(DatagenMeshes, EveryObjectLoadsWithinItsScenesLimits) {
    for (const Named& n : kObjects) {
        SCOPED_TRACE(std::string(n.file) + " " + n.object);
        ShowMesh m = load(n.file, n.object);
        ASSERT_GT(m.p.size(), 0u);
        ASSERT_GT(m.faces.size(), 0u);
        EXPECT_LE(int(m.faces.size()), n.maxFaces / 4) << "far below the depth list's size";
        if (n.envMapped) {
            EXPECT_LE(m.p.size(), 20000u) << "the normal tables' size";
        }
        std::vector<bool> used(m.p.size(), false);
        for (const auto& f : m.faces) {
            for (int k : f) {
                ASSERT_LT(k, int(m.p.size()));
                used[k] = true;
            }
            Vector3 c = crossOf(sub(m.p[f[1]], m.p[f[0]]), sub(m.p[f[2]], m.p[f[0]]));
            EXPECT_GT(c.x * c.x + c.y * c.y + c.z * c.z, 1e-10f) << "a face without area";
        }
        EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << "vertices no face uses";
        for (const Vector3& v : m.p) ASSERT_TRUE(std::isfinite(v.x + v.y + v.z));

        Box b = bounds(m);
        EXPECT_TRUE(contains(b, n.inner)) << describe(b) << " should cover " << describe(n.inner);
        EXPECT_TRUE(contains(n.outer, b)) << describe(b) << " should lie in " << describe(n.outer);
    }
    EXPECT_EQ(load("ball2116.3ds", "Object01").p.size(), 2116u);
}

// Every edge of a closed surface with consistent winding is met once in each direction.
void expectClosedAndOutward(const ShowMesh& m) {
    std::map<std::pair<int, int>, int> directed;
    for (const auto& f : m.faces)
        for (int k = 0; k < 3; ++k) ++directed[{f[k], f[(k + 1) % 3]}];
    int open = 0, repeated = 0;
    for (const auto& [edge, count] : directed) {
        if (count > 1) ++repeated;
        if (!directed.count({edge.second, edge.first})) ++open;
    }
    EXPECT_EQ(open, 0) << "edges without a face on the other side";
    EXPECT_EQ(repeated, 0) << "edges wound the same way twice";
    double volume = 0;
    for (const auto& f : m.faces) {
        Vector3 a = m.p[f[0]], b = m.p[f[1]], c = m.p[f[2]];
        volume += a.x * (double(b.y) * c.z - double(b.z) * c.y) -
                  a.y * (double(b.x) * c.z - double(b.z) * c.x) +
                  a.z * (double(b.x) * c.y - double(b.y) * c.x);
    }
    EXPECT_GT(volume, 0.0) << "faces wind inwards";
}

TEST(DatagenMeshes, SolidObjectsAreClosedAndEnvironmentMappedOnesShareTheirVertices) {
    for (const Named& n : kObjects) {
        std::string what = std::string(n.file) + " " + n.object;
        if (what == "vexscene.3ds Box05") continue;  // seen from inside; open where flat
        if (std::string(n.object) == "Shape1" || what == "striber.3ds Cone01") continue;
        SCOPED_TRACE(what);
        ShowMesh m = load(n.file, n.object);
        expectClosedAndOutward(m);
        if (!n.envMapped) continue;
        // Averaged normals need one vertex per place: a copy would split the average.
        std::vector<std::array<float, 3>> sorted;
        for (const Vector3& v : m.p) sorted.push_back({v.x, v.y, v.z});
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end())
            << "two vertices at one place";
    }
}

TEST(DatagenMeshes, TexturedObjectsCarryMappingAndTheRoomLooksInwards) {
    ShowMesh ball = load("ball2116.3ds", "Object01");
    ShowMesh cone = load("striber.3ds", "Cone01");
    ShowMesh room = load("vexscene.3ds", "Box05");
    for (const ShowMesh* m : {&ball, &cone, &room}) {
        auto [lo, hi] = std::minmax_element(m->uv.begin(), m->uv.end());
        EXPECT_GE(*hi - *lo, 1.0f) << "mapping spans at least one repeat of the texture";
    }
    // The reader hands the file's v back negated: the ball's 0..1 arrives as 0..-1.
    for (size_t i = 0; i < ball.uv.size(); i += 2) {
        EXPECT_TRUE(ball.uv[i] >= 0 && ball.uv[i] <= 1);
        EXPECT_TRUE(ball.uv[i + 1] <= 0 && ball.uv[i + 1] >= -1);
    }
    // The room's faces look inwards, at the cameras inside it.
    Box b = bounds(room);
    Vector3 mid = {0.5f * (b.lo.x + b.hi.x), 0.5f * (b.lo.y + b.hi.y), 0.5f * (b.lo.z + b.hi.z)};
    for (const auto& f : room.faces) {
        Vector3 n = normalOf(room, f), toMid = sub(mid, room.p[f[0]]);
        ASSERT_GT(n.x * toMid.x + n.y * toMid.y + n.z * toMid.z, 0.0f);
    }
}

// --- Where the scenes' cameras see them ----------------------------------------------------------

// Letters are separate pieces: groups of vertices joined by faces, in the order they were written.
std::vector<std::vector<int>> pieces(const ShowMesh& m) {
    std::vector<int> parent(m.p.size());
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](int v) {
        while (parent[v] != v) v = parent[v] = parent[parent[v]];
        return v;
    };
    for (const auto& f : m.faces) {
        parent[root(f[1])] = root(f[0]);
        parent[root(f[2])] = root(f[0]);
    }
    std::map<int, int> order;
    std::vector<std::vector<int>> out;
    for (int v = 0; v < int(m.p.size()); ++v) {
        auto [it, fresh] = order.insert({root(v), int(out.size())});
        if (fresh) out.emplace_back();
        out[it->second].push_back(v);
    }
    return out;
}

TEST(DatagenMeshes, TitleWordsReadLeftToRightUprightAndClearOfTheCaptions) {
    ShowMesh upper = load("purple.3ds", "Text01"), lower = load("purple.3ds", "Text02");
    View view = titleView(0);
    for (auto [mesh, letters] : {std::make_pair(&upper, 6), std::make_pair(&lower, 5)}) {
        std::vector<std::vector<int>> word = pieces(*mesh);
        ASSERT_EQ(int(word.size()), letters);
        float previous = -2;
        for (const auto& letter : word) {
            float sum = 0;
            for (int v : letter) sum += view(mesh->p[v]).sx;
            EXPECT_GT(sum / letter.size(), previous) << "letters in writing order run rightwards";
            previous = sum / letter.size();
        }
    }
    // The upper word ends in a T: on screen its top is much wider than its foot.
    const std::vector<int> t = pieces(upper).back();
    float top = -2, bottom = 2;
    for (int v : t) {
        top = std::max(top, view(upper.p[v]).sy);
        bottom = std::min(bottom, view(upper.p[v]).sy);
    }
    float topLeft = 2, topRight = -2, footLeft = 2, footRight = -2;
    for (int v : t) {
        Screen s = view(upper.p[v]);
        if (s.sy > top - 0.1f * (top - bottom)) {
            topLeft = std::min(topLeft, s.sx);
            topRight = std::max(topRight, s.sx);
        } else if (s.sy < bottom + 0.1f * (top - bottom)) {
            footLeft = std::min(footLeft, s.sx);
            footRight = std::max(footRight, s.sx);
        }
    }
    EXPECT_GT(topRight - topLeft, 1.8f * (footRight - footLeft));

    // Over the camera's sway both words stay on screen, the upper one above and the lower one
    // below the band where the captions appear (screen y -0.22 to -0.12).
    for (float h = 0; h < 6.3f; h += 0.3f) {
        View v = titleView(h);
        for (const Vector3& p : upper.p) {
            Screen s = v(p);
            ASSERT_TRUE(s.z > 0 && std::fabs(s.sx) < 1 && s.sy > 0.05f && s.sy < 1) << h;
        }
        for (const Vector3& p : lower.p) {
            Screen s = v(p);
            ASSERT_TRUE(s.z > 0 && std::fabs(s.sx) < 1 && s.sy < -0.3f && s.sy > -1) << h;
        }
    }
}

TEST(DatagenMeshes, TitleWordsPaintTheirBacksBeforeTheirFronts) {
    // The title draws the words without depth test or sorting, in file order, from the front.
    for (const char* name : {"Text01", "Text02"}) {
        ShowMesh m = load("purple.3ds", name);
        int lastBack = -1, firstFront = int(m.faces.size());
        for (int i = 0; i < int(m.faces.size()); ++i) {
            float nz = normalOf(m, m.faces[i]).z;
            if (nz > 0.9f) lastBack = std::max(lastBack, i);
            if (nz < -0.9f) firstFront = std::min(firstFront, i);
        }
        EXPECT_LT(lastBack, firstFront) << name;
    }
}

TEST(DatagenMeshes, BlobSceneBallSitsInViewAndTheConeSurroundsItsCamera) {
    ShowMesh ball = load("ball2116.3ds", "Object01"), cone = load("striber.3ds", "Cone01");
    for (float p = 0; p < 6.3f; p += 0.25f) {
        View ballView(61, 1.0f, kHalfAngle61,
                      {45 * std::sin(p), 45 * std::sin(3 * p) + 450, 45 * std::cos(p)}, {0, 0, 0},
                      180);
        for (const Vector3& v : ball.p) {
            Screen s = ballView(v);
            ASSERT_TRUE(std::fabs(s.sx) < 0.5f && std::fabs(s.sy) < 0.5f) << p;
        }
        // The cone camera stays well inside the tunnel: nearer the axis than its wall.
        Vector3 eye = {45 * std::sin(p) + 1, 45 * std::sin(3 * p) + 1, 5 * std::cos(p) + 32};
        float wall = 1e30f;
        for (const Vector3& v : cone.p)
            if (std::fabs(v.z - eye.z) < 100) wall = std::min(wall, std::hypot(v.x - 1, v.y - 1));
        EXPECT_LT(std::hypot(eye.x - 1, eye.y - 1) + 50, wall) << p;
    }
}

TEST(DatagenMeshes, HeartAndSpiralStayCentredInTheirViews) {
    ShowMesh heart = load("hjerte~1.3ds", "Shape02");
    for (float p = 0; p < 6.3f; p += 0.2f) {
        View v(61, 1.2f, kHalfAngle61,
               {120 * std::sin(p + 0.42f), 10 * std::cos(p + 0.21f), 120 * std::cos(p + 0.42f)},
               {1, 0, 1}, 180);
        float top = -2, bottom = 2;
        for (const Vector3& q : heart.p) {
            Screen s = v(q);
            ASSERT_TRUE(s.z > 0 && std::fabs(s.sx) < 0.95f && std::fabs(s.sy) < 0.95f) << p;
            top = std::max(top, s.sy), bottom = std::min(bottom, s.sy);
        }
        EXPECT_GT(top - bottom, 1.0f) << "fills the middle of the screen";
    }
    // The spiral's middle is on the view axis, so rolling the camera turns it in place.
    ShowMesh spiral = load("spiral.3ds", "Shape1");
    View v(61, 1.2f, kHalfAngle61, {0, 0, 100}, {1, 0, 1}, 0);
    Screen first = v(spiral.p[0]);
    EXPECT_LT(std::hypot(first.sx, first.sy), 0.15f);
    float reach = 0;
    for (const Vector3& q : spiral.p) reach = std::max(reach, std::hypot(v(q).sx, v(q).sy));
    EXPECT_GT(reach, 0.9f);
    EXPECT_LT(reach, 1.6f);
    for (const auto& f : spiral.faces) ASSERT_GT(normalOf(spiral, f).z, 0.99f) << "faces the eye";
}

// Whether the point (x, y) of the plane z = 0 is covered by one of the mesh's faces.
bool covered(const ShowMesh& m, float x, float y) {
    for (const auto& f : m.faces) {
        const Vector3 &a = m.p[f[0]], &b = m.p[f[1]], &c = m.p[f[2]];
        float d1 = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
        float d2 = (c.x - b.x) * (y - b.y) - (c.y - b.y) * (x - b.x);
        float d3 = (a.x - c.x) * (y - c.y) - (a.y - c.y) * (x - c.x);
        if ((d1 >= 0 && d2 >= 0 && d3 >= 0) || (d1 <= 0 && d2 <= 0 && d3 <= 0)) return true;
    }
    return false;
}

TEST(DatagenMeshes, LogoCopiesNestOnEachOthersSolidMiddle) {
    ShowMesh logo = load("vexpush1.3ds", "Shape1");
    Box b = bounds(logo);
    float reach = std::max(std::max(-b.lo.x, b.hi.x), std::max(-b.lo.y, b.hi.y));
    // A copy ten times farther covers a disc a tenth the size: that disc must be solid logo.
    for (int ring = 0; ring <= 4; ++ring)
        for (int k = 0; k < 32; ++k) {
            float r = 0.11f * reach * ring / 4, a = 2 * 3.14159265f * k / 32;
            ASSERT_TRUE(covered(logo, r * std::cos(a), r * std::sin(a))) << r << " " << a;
        }
    for (const auto& f : logo.faces) ASSERT_LT(normalOf(logo, f).z, -0.99f) << "faces the eye";
    // Seen from 50 units, about when its successor takes over, a copy spills past the screen.
    View v(61, 1.2f, kHalfAngle61, {1, 1, -50}, {0, 0, 0}, 180);
    float wide = 0;
    for (const Vector3& q : logo.p) wide = std::max(wide, std::fabs(v(q).sx));
    EXPECT_GT(wide, 1.0f);
}

TEST(DatagenMeshes, FigureStandsInItsRoomFacingEveryCameraWithGlassesOnItsFace) {
    ShowMesh room = load("vexscene.3ds", "Box05"), dude = load("vexscene.3ds", "dude"),
             glasses = load("vexscene.3ds", "briller");
    Box r = bounds(room), d = bounds(dude), g = bounds(glasses);
    EXPECT_NEAR(d.lo.y, r.lo.y, 0.5f) << "feet on the floor";
    EXPECT_TRUE(contains(r, d));

    // The glasses sit at the front of the head: in front of every head vertex near them and
    // within the head's height.
    float headFront = 1e30f, headTop = d.hi.y;
    for (const Vector3& p : dude.p)
        if (p.y > g.lo.y && p.y < g.hi.y && std::fabs(p.x - 0.5f * (g.lo.x + g.hi.x)) < 8)
            headFront = std::min(headFront, p.z);
    EXPECT_LT(g.lo.z, headFront);
    EXPECT_GT(g.lo.z, headFront - 6) << "close to the face, not floating before it";
    EXPECT_LT(g.hi.y, headTop);
    EXPECT_LE(g.hi.x - g.lo.x, d.hi.x - d.lo.x);

    // Every camera of the figure scene is inside the room, in front of the figure's face, with
    // the glasses in view.
    const Box inside = {{r.lo.x + 20, r.lo.y + 10, r.lo.z + 20},
                        {r.hi.x - 20, r.hi.y - 20, r.hi.z - 20}};
    for (float t = 0; t < 40; t += 0.37f) {
        const Vector3 eyes[] = {
            {50 * std::cos(t + 1.1f) - 100 * std::sin(1.5f * t), 130 * std::cos(t) + 40,
             150 * std::cos(1.5f * t) - 200},
            {200 - 120 * std::cos(t) * std::sin(5.5f * t + 1), 100 * std::sin(3 * t) + 30,
             -120 * std::sin(4 * t) - 170},
            {130 * std::cos(3 * t) - 60, 100 * std::sin(3 * t + 3.0f) + 60,
             120 * std::sin(2.4f * t + 0.7f) - 160},
            {-130 * std::cos(5 * t) - 60, 100 * std::sin(5 * t + 2.4f) + 60,
             120 * std::sin(t + 2.7f) - 190},
        };
        for (const Vector3& eye : eyes) {
            ASSERT_TRUE(contains(inside, {eye, eye})) << t;
            ASSERT_LT(eye.z, g.lo.z) << t;
            View v(91, 1.2f, kHalfAngle91, eye, {1, 0, 51}, 180);
            for (const Vector3& p : glasses.p) {
                Screen s = v(p);
                ASSERT_TRUE(s.z > 0 && std::fabs(s.sx) < 1 && std::fabs(s.sy) < 1) << t;
            }
        }
    }
}

}  // namespace
