// The show's seven 3DS files: shapes sized and placed for the cameras of the scenes that draw them.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "assets/dataset.h"
#include "tools/datagen/datagen.h"
#include "tools/datagen/mesh_chunks.h"
#include "tools/datagen/mesh_geometry.h"
#include "tools/datagen/mesh_text.h"

// Placement works in file coordinates (X right, Y away from the viewer, Z up); the show reads a
// file point (X, Y, Z) as (-X, Z, Y). Cameras that look along the show's +z with a half-turn
// roll (title, figure, logo, heart at rest) therefore see file X to the right and Z upwards,
// as a modelling program's front view does.
namespace {

MeshObject newObject(const char* name, const char* material, uint8_t r, uint8_t g, uint8_t b) {
    MeshObject o;
    o.name = name;
    o.material = material;
    o.colour[0] = r;
    o.colour[1] = g;
    o.colour[2] = b;
    return o;
}

// Title words, about 250 units in front of the eye: the upper word above the captions that
// appear just below the middle of the screen, the lower word beneath them.
bool makeTitleWords(std::vector<MeshObject>& out, std::string* error) {
    MeshObject upper = newObject(kObjectText01, "Purple", 150, 60, 200);
    if (!addWord(upper, kWordFont, "SUNLIT", {0, 0, 58}, 210, 52, 16, error)) return false;
    MeshObject lower = newObject(kObjectText02, "Purple", 150, 60, 200);
    if (!addWord(lower, kWordFont, "SKIES", {0, 0, -80}, 170, 44, 16, error)) return false;
    out.push_back(upper);
    out.push_back(lower);
    return true;
}

// A sphere of 46 rings of 46 vertices, radius 80 round the origin where the ball camera looks.
// The rings stop short of the poles and each pole is closed by a flat fan across its ring, so
// every face has area and every vertex is shared all round (the ball is environment-mapped).
MeshObject makeBall() {
    MeshObject o = newObject(kObjectBall, "Ball", 200, 200, 200);
    o.hasMapping = true;
    const int rings = 46, segments = 46;
    const float radius = 80.0f;
    for (int i = 0; i < rings; ++i) {
        double theta = kPi * (i + 1) / (rings + 1);
        for (int j = 0; j < segments; ++j) {
            double phi = 2 * kPi * j / segments;
            addVertex(
                o,
                {radius * float(std::sin(theta) * std::cos(phi)),
                 radius * float(std::sin(theta) * std::sin(phi)), radius * float(std::cos(theta))},
                float(j) / segments, float(i) / (rings - 1));
        }
    }
    auto at = [&](int i, int j) { return i * segments + j % segments; };
    for (int j = 1; j + 1 < segments; ++j) addFace(o, at(0, 0), at(0, j), at(0, j + 1));
    for (int i = 0; i + 1 < rings; ++i)
        for (int j = 0; j < segments; ++j)
            addQuad(o, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
    for (int j = 1; j + 1 < segments; ++j)
        addFace(o, at(rings - 1, 0), at(rings - 1, j + 1), at(rings - 1, j));
    return o;
}

// The striped tunnel of the blob scene: a cone round the cone camera's axis (show x = y = 1),
// wide behind the eye (which sways up to about 64 units off the axis) and narrowing into the
// distance, closed at the far end. Mapping wraps the stripes four times round and eight along.
MeshObject makeCone() {
    MeshObject o = newObject(kObjectCone, "Stripes", 255, 255, 255);
    o.hasMapping = true;
    const int rings = 25, segments = 48;
    const float nearY = -100, farY = 1400, nearRadius = 260, farRadius = 12, axisX = -1, axisZ = 1;
    for (int i = 0; i < rings; ++i) {
        float t = float(i) / (rings - 1);
        float y = nearY + t * (farY - nearY), r = nearRadius + t * (farRadius - nearRadius);
        for (int j = 0; j <= segments; ++j) {  // the seam column repeats for the mapping
            double phi = 2 * kPi * j / segments;
            addVertex(o, {axisX + r * float(std::cos(phi)), y, axisZ + r * float(std::sin(phi))},
                      4.0f * j / segments, 8.0f * t);
        }
    }
    int centre = addVertex(o, {axisX, farY, axisZ}, 2.0f, 8.0f);
    const int columns = segments + 1;
    for (int i = 0; i + 1 < rings; ++i)
        for (int j = 0; j < segments; ++j) {
            int a = i * columns + j;
            addQuad(o, a, a + 1, a + columns + 1, a + columns);
        }
    for (int j = 0; j < segments; ++j) {
        int a = (rings - 1) * columns + j;
        addFace(o, centre, a + 1, a);
    }
    return o;
}

// The heart surface (x^2 + 9/4 y^2 + z^2 - 1)^3 = x^2 z^3 + 9/80 y^2 z^3: smooth everywhere but
// at the dip and the tip, with y the thin axis. Negative inside.
double heartField(double x, double y, double z) {
    double q = x * x + 2.25 * y * y + z * z - 1;
    return q * q * q - x * x * z * z * z - 0.1125 * y * y * z * z * z;
}

// Distance from the origin to the heart surface along the unit direction d. Every ray from
// the origin leaves the body exactly once, so bisection between inside and outside finds it.
double heartRadius(double dx, double dy, double dz) {
    double in = 0, out = 2;
    for (int i = 0; i < 60; ++i) {
        double mid = 0.5 * (in + out);
        if (heartField(mid * dx, mid * dy, mid * dz) < 0) {
            in = mid;
        } else {
            out = mid;
        }
    }
    return 0.5 * (in + out);
}

// The heart scene's heart, a closed smooth body about 82 wide, 80 high and 49 deep, centred on
// the heart camera's target for an eye circling at 120 units. Built as a sphere whose poles
// face front and back, each vertex pushed out to the surface; the ring round the middle runs
// through the dip and the tip, which are vertices of their own.
MeshObject makeHeart() {
    MeshObject o = newObject(kObjectHeart, "Heart", 220, 30, 60);
    const int rings = 40, segments = 72;  // segment 18 is the dip, segment 54 the tip
    const double height = 80;
    // The surface spans z = -1 (tip) to the tops of the lobes.
    double top = 0;
    for (int j = 0; j <= 18; ++j) {
        double a = kPi * j / 36;
        top = std::max(top, heartRadius(std::cos(a), 0, std::sin(a)) * std::sin(a));
    }
    const double scale = height / (top + 1);
    const FileVec centre = {-1, 1, float(-scale * 0.5 * (top - 1))};
    auto add = [&](double dx, double dy, double dz) {
        double r = scale * heartRadius(dx, dy, dz);
        return addVertex(
            o, {centre.x + float(r * dx), centre.y + float(r * dy), centre.z + float(r * dz)});
    };
    int front = add(0, -1, 0);
    for (int i = 1; i < rings; ++i) {
        double theta = kPi * i / rings;
        for (int j = 0; j < segments; ++j) {
            double phi = 2 * kPi * j / segments;
            add(std::sin(theta) * std::cos(phi), -std::cos(theta), std::sin(theta) * std::sin(phi));
        }
    }
    int back = add(0, 1, 0);
    auto at = [&](int i, int j) { return 1 + i * segments + j % segments; };
    for (int j = 0; j < segments; ++j) {
        addFace(o, front, at(0, j), at(0, j + 1));
        for (int i = 0; i + 2 < rings; ++i)
            addQuad(o, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
        addFace(o, back, at(rings - 2, j + 1), at(rings - 2, j));
    }
    return o;
}

// The spiral scene's flat spiral: a band winding four times outwards round the spiral camera's
// view axis, in the plane 100 units in front of it, reaching 58 units out so that its turning
// fills the screen (about 59 by 49 units are in view there).
MeshObject makeSpiral() {
    MeshObject o = newObject(kObjectSpiral, "White", 255, 255, 255);
    const int steps = 240;
    const double turns = 4, inner = 3, outer = 58;
    const double k = (outer - inner) / (2 * kPi * turns), pitch = 2 * kPi * k;
    const FileVec centre = {-1, 0, 0};
    for (int i = 0; i <= steps; ++i) {
        double theta = 2 * kPi * turns * i / steps, r = inner + k * theta;
        double tx = k * std::cos(theta) - r * std::sin(theta),
               tz = k * std::sin(theta) + r * std::cos(theta);
        double len = std::hypot(tx, tz), nx = tz / len, nz = -tx / len;  // outwards
        double half = 0.5 * 0.55 * pitch * r / (r + 6);
        double x = r * std::cos(theta), z = r * std::sin(theta);
        addVertex(o, {centre.x + float(x - nx * half), centre.y, centre.z + float(z - nz * half)});
        addVertex(o, {centre.x + float(x + nx * half), centre.y, centre.z + float(z + nz * half)});
    }
    // Wound to face +Y, towards the spiral camera.
    for (int i = 0; i < steps; ++i) addQuad(o, 2 * i, 2 * i + 2, 2 * i + 3, 2 * i + 1);
    return o;
}

// The logo zoom's emblem: a solid cog (disc of radius 24, eight teeth to 30) with eight windows,
// flat in the XZ plane round the origin that the zoom camera looks at. Its solid middle is
// wider than the whole cog a tenth the size, so each ten-times-farther copy lies on top of the
// nearer one's middle, and a copy fills the screen before the one behind it is dropped.
MeshObject makeLogo() {
    MeshObject o = newObject(kObjectLogo, "White", 255, 255, 255);
    const int samples = 96, period = samples / 8;
    const float radii[] = {4, 8, 12, 20, 24};
    const int ringCount = 5, windowBand = 2;  // the band between radius 12 and 20
    int centre = addVertex(o, {0, 0, 0});
    for (float r : radii)
        for (int j = 0; j < samples; ++j) {
            double phi = 2 * kPi * j / samples;
            addVertex(o, {r * float(std::cos(phi)), 0, r * float(std::sin(phi))});
        }
    auto at = [&](int ring, int j) { return 1 + ring * samples + j % samples; };
    // Wound to face -Y, towards the zoom camera.
    for (int j = 0; j < samples; ++j) addFace(o, centre, at(0, j), at(0, j + 1));
    for (int b = 0; b + 1 < ringCount; ++b)
        for (int j = 0; j < samples; ++j) {
            int phase = j % period;
            if (b == windowBand && phase >= 3 && phase < 9) continue;  // a window
            addQuad(o, at(b, j), at(b + 1, j), at(b + 1, j + 1), at(b, j + 1));
        }
    // Teeth: tapered strips on the rim, centred on every twelfth sample.
    for (int t = 0; t < 8; ++t) {
        int mid = t * period, tip = static_cast<int>(o.positions.size());
        double midPhi = 2 * kPi * mid / samples;
        for (int d = -2; d <= 2; ++d) {
            double phi = midPhi + 0.6 * (2 * kPi * d / samples);
            addVertex(o, {30 * float(std::cos(phi)), 0, 30 * float(std::sin(phi))});
        }
        for (int d = 0; d < 4; ++d) {
            int j = mid - 2 + d + samples;
            addQuad(o, at(ringCount - 1, j), tip + d, tip + d + 1, at(ringCount - 1, j + 1));
        }
    }
    return o;
}

// Figure scene set: the camera target, show (1, 0, 51), is file (-1, 51, 0), the figure's chest.
constexpr float kFigureX = -1, kFigureY = 51, kFloorZ = -162;

// The room the figure stands in, seen from inside: every camera position of the figure scene
// (show x -190..320, y -90..170, z -350..-40) lies within it. Each wall is a grid of about
// 100-unit cells so that no face is huge, with the circles texture repeated about every 240
// units.
MeshObject makeRoom() {
    MeshObject o = newObject(kObjectBox, "Circles", 255, 255, 255);
    o.hasMapping = true;
    const FileVec lo = {-400, -420, kFloorZ}, hi = {400, 300, 230};
    // Each wall: an origin corner and two edge vectors, ordered so that its faces look inwards.
    struct Wall {
        FileVec origin, du, dv;
    };
    const float sx = hi.x - lo.x, sy = hi.y - lo.y, sz = hi.z - lo.z;
    const Wall walls[6] = {
        {{lo.x, lo.y, lo.z}, {sx, 0, 0}, {0, sy, 0}},   // floor
        {{lo.x, hi.y, hi.z}, {sx, 0, 0}, {0, -sy, 0}},  // ceiling
        {{lo.x, hi.y, lo.z}, {sx, 0, 0}, {0, 0, sz}},   // far wall
        {{hi.x, lo.y, lo.z}, {-sx, 0, 0}, {0, 0, sz}},  // wall behind the cameras
        {{lo.x, lo.y, lo.z}, {0, sy, 0}, {0, 0, sz}},   // left wall
        {{hi.x, hi.y, lo.z}, {0, -sy, 0}, {0, 0, sz}},  // right wall
    };
    for (const Wall& w : walls) {
        float lu = std::sqrt(w.du.x * w.du.x + w.du.y * w.du.y + w.du.z * w.du.z);
        float lv = std::sqrt(w.dv.x * w.dv.x + w.dv.y * w.dv.y + w.dv.z * w.dv.z);
        int nu = int(std::ceil(lu / 100)), nv = int(std::ceil(lv / 100));
        float ru = std::round(lu / 240), rv = std::round(lv / 240);
        int first = static_cast<int>(o.positions.size());
        for (int b = 0; b <= nv; ++b)
            for (int a = 0; a <= nu; ++a) {
                float fu = float(a) / nu, fv = float(b) / nv;
                addVertex(
                    o,
                    {w.origin.x + fu * w.du.x + fv * w.dv.x, w.origin.y + fu * w.du.y + fv * w.dv.y,
                     w.origin.z + fu * w.du.z + fv * w.dv.z},
                    fu * ru, fv * rv);
            }
        for (int b = 0; b < nv; ++b)
            for (int a = 0; a < nu; ++a) {
                int v = first + b * (nu + 1) + a;
                addQuad(o, v, v + 1, v + nu + 2, v + nu + 1);
            }
    }
    return o;
}

// The figure is modelled 172 units tall and scaled to stand 224 tall, facing -Y (towards the
// cameras), with its eyes about 45 units above the camera target: high enough to fill the
// frame, low enough that the nearest cameras (some 90 units away) keep the face in view.
constexpr float kFigureScale = 1.3f;

// A point of the figure: dx to its left (file +X), dy backwards, h above the floor.
FileVec figurePoint(float dx, float dy, float h) {
    return {kFigureX + kFigureScale * dx, kFigureY + kFigureScale * dy, kFloorZ + kFigureScale * h};
}
FileVec figureSize(float x, float y, float z) {
    return {kFigureScale * x, kFigureScale * y, kFigureScale * z};
}

// Head: centre height and radii; the glasses sit at eye height just in front of it.
constexpr float kHeadHeight = 157, kEyeHeight = 159;
constexpr float kHeadRadius[3] = {13, 14, 15};

MeshObject makeFigure() {
    MeshObject o = newObject(kObjectDude, "Black", 10, 10, 10);
    const float s = kFigureScale;
    for (float side : {-1.0f, 1.0f}) {
        // A foot, a leg, an arm hanging from the shoulder and a hand.
        addBox(o, figurePoint(side * 10 - 6, -14, 0), figurePoint(side * 10 + 6, 6, 6));
        addCylinder(o, figurePoint(side * 10, 0, 5), figurePoint(side * 10, 0, 84), 7 * s, 12);
        addCylinder(o, figurePoint(side * 22, 0, 128), figurePoint(side * 30, 0, 80), 5.5f * s, 12);
        addEllipsoid(o, figurePoint(side * 31, 0, 75), figureSize(6, 6, 7), 6, 10);
    }
    addEllipsoid(o, figurePoint(0, 0, 86), figureSize(19, 11, 10), 8, 16);         // hips
    addEllipsoid(o, figurePoint(0, 0, 110), figureSize(22, 12, 28), 10, 20);       // chest
    addCylinder(o, figurePoint(0, 0, 132), figurePoint(0, 0, 146), 5.5f * s, 12);  // neck
    addEllipsoid(o, figurePoint(0, 0, kHeadHeight),
                 figureSize(kHeadRadius[0], kHeadRadius[1], kHeadRadius[2]), 12, 20);
    return o;
}

// Round glasses at eye height, just in front of the face, with arms back past the head's sides.
MeshObject makeGlasses() {
    MeshObject o = newObject(kObjectGlasses, "White", 255, 255, 255);
    const float s = kFigureScale, h = kEyeHeight;
    const float front = -kHeadRadius[1] - 1.2f;  // in front of the face
    const float side = kHeadRadius[0] + 0.9f;    // outside the head
    for (float d : {-1.0f, 1.0f}) {
        addRing(o, figurePoint(d * 6.2f, front, h), 3.6f * s, 5.6f * s, 1.6f * s, 20);  // rim
        float inner = d * 11.4f, outer = d * (side + 0.5f);
        addBox(o, figurePoint(std::fmin(inner, outer), front - 0.8f, h - 0.6f),
               figurePoint(std::fmax(inner, outer), front + 0.8f, h + 0.6f));  // hinge
        addBox(o, figurePoint(d * side - 0.5f, front, h - 0.6f),
               figurePoint(d * side + 0.5f, 4, h + 0.6f));  // arm
    }
    addBox(o, figurePoint(-1.5f, front - 0.6f, h + 1.5f),
           figurePoint(1.5f, front + 0.6f, h + 2.7f));
    return o;
}

}  // namespace

bool writeMeshes(const std::string& dir, std::string* error) {
    std::vector<MeshObject> title;
    if (!makeTitleWords(title, error)) return false;
    return write3dsFile(dir + "/" + kFilePurple, title, error) &&
           write3dsFile(dir + "/" + kFileHjerte, {makeHeart()}, error) &&
           write3dsFile(dir + "/" + kFileSpiral, {makeSpiral()}, error) &&
           write3dsFile(dir + "/" + kFileBall, {makeBall()}, error) &&
           write3dsFile(dir + "/" + kFileStriber, {makeCone()}, error) &&
           write3dsFile(dir + "/" + kFileVexscene, {makeRoom(), makeFigure(), makeGlasses()},
                        error) &&
           write3dsFile(dir + "/" + kFileVexpush1, {makeLogo()}, error);
}
