// Retained object world: object set-up, per-frame transform, projection, culling and drawing.
#include "scene/world.h"

#include <cmath>

#include "scene/worldclip.h"

namespace {
constexpr double kPi = 3.141592653589793;
}  // namespace

void World::setCamera(WorldCamera* c) {
    camera = c;
    if (c) worldProjection = float(100 / std::tan(double(c->fov) * 0.5 * kPi / 180));
}

static Vector3 sub(const Vector3& a, const Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

// True when corner k of the face repeats an earlier corner, so that a face counts once per vertex.
static bool repeatsEarlierCorner(const ObjectFace& f, int k) {
    for (int j = 0; j < k; ++j)
        if (f.corners[j] == f.corners[k]) return true;
    return false;
}

WorldObject::WorldObject(int vertexCount, int faceCount)
    : faceCount(faceCount), vertexCount(vertexCount) {
    vertices = new ObjectVertex[vertexCount];
    try {
        faces = new ObjectFace[faceCount];
    } catch (...) {
        delete[] vertices;
        throw;
    }
}

WorldObject::~WorldObject() {
    for (int i = 0; i < vertexCount; ++i) delete[] vertices[i].adjacentNormals;
    delete[] vertices;
    delete[] faces;
}

void WorldObject::setBackfaceCulling(bool on) {
    flags = on ? flags | kObjectCullBackFaces : flags & ~kObjectCullBackFaces;
}

void WorldObject::setVisible(bool on) {
    flags = on ? flags | kObjectVisible : flags & ~kObjectVisible;
}

void WorldObject::setTexture(int32_t value) {
    texture = value;
    for (int i = 0; i < faceCount; ++i) faces[i].texture0 = faces[i].texture1 = value;
}

void WorldObject::setTag(int32_t value) {
    tag = value;
    for (int i = 0; i < faceCount; ++i) faces[i].tag = value;
}

void WorldObject::setFaceColour(int32_t value) {
    faceColour = value;
    for (int i = 0; i < faceCount; ++i) faces[i].faceColour = value;
}

void WorldObject::applyMode(int32_t value, int32_t keepMask) {
    modeBits = value | (modeBits & keepMask);
    for (int i = 0; i < faceCount; ++i) faces[i].modeBits = value | (faces[i].modeBits & keepMask);
}

void computeFaceNormals(WorldObject& object) {
    for (int i = 0; i < object.faceCount; ++i) {
        ObjectFace& f = object.faces[i];
        const Vector3& p0 = f.corners[0]->position;
        vectorCross(sub(f.corners[1]->position, p0), sub(f.corners[2]->position, p0), f.normal);
        vectorNormalize(f.normal);
    }
}

void WorldObject::computeNormals() {
    computeFaceNormals(*this);
    for (int i = 0; i < vertexCount; ++i) vertices[i].normal = {0, 0, 0};
    for (int i = 0; i < faceCount; ++i) {
        const ObjectFace& f = faces[i];
        for (int k = 0; k < 3; ++k) {
            if (repeatsEarlierCorner(f, k)) continue;
            Vector3& n = f.corners[k]->normal;
            n = {n.x + f.normal.x, n.y + f.normal.y, n.z + f.normal.z};
        }
    }
    for (int i = 0; i < vertexCount; ++i) vectorNormalize(vertices[i].normal);
}

void WorldObject::buildAdjacency() {
    for (int i = 0; i < vertexCount; ++i) {
        delete[] vertices[i].adjacentNormals;
        vertices[i].adjacentNormals = nullptr;
        vertices[i].adjacentCount = 0;
    }
    for (int i = 0; i < faceCount; ++i)
        for (int k = 0; k < 3; ++k)
            if (!repeatsEarlierCorner(faces[i], k)) faces[i].corners[k]->adjacentCount++;
    for (int i = 0; i < vertexCount; ++i) {
        ObjectVertex& v = vertices[i];
        if (v.adjacentCount > 0) v.adjacentNormals = new Vector3*[v.adjacentCount];
        v.adjacentCount = 0;  // recounted while filling, in face order
    }
    for (int i = 0; i < faceCount; ++i) {
        for (int k = 0; k < 3; ++k) {
            if (repeatsEarlierCorner(faces[i], k)) continue;
            ObjectVertex& v = *faces[i].corners[k];
            v.adjacentNormals[v.adjacentCount++] = &faces[i].normal;
        }
    }
    flags |= kObjectSmoothNormals;
}

void WorldLight::setColour(float r, float g, float b) {
    colour = {r, g, b};
    scaledColour = {r * intensity, g * intensity, b * intensity};
}

void WorldLight::setIntensity(float i) {
    intensity = i;
    scaledColour = {colour.r * i, colour.g * i, colour.b * i};
}

void WorldLight::setAttenuation(float nearDistance, float farDistance, bool on) {
    attenuationNear = nearDistance;
    attenuationFar = farDistance;
    attenuate = on ? 1 : 0;
}

void buildWorldViewMatrix(WorldCamera& camera) {
    const Vector3 d = sub(camera.eye, camera.target);
    camera.direction = d;
    const double len = std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z);
    camera.distance = len < 0.1 ? 0.1f : float(len);
    Matrix34& m = camera.viewMatrix;
    m = kIdentityMatrix;
    matrixTranslateWorld(-camera.eye.x, -camera.eye.y, -camera.eye.z, m);
    // target - eye rather than -direction: when eye and target coincide both angles are +0,
    // where negated zeros would make atan2 return -pi and turn the view around.
    const double ax = camera.target.x - camera.eye.x;
    const double ay = camera.target.y - camera.eye.y;
    const double az = camera.target.z - camera.eye.z;
    matrixRotateWorldY(float(-std::atan2(ax, az)), m);
    matrixRotateWorldX(float(std::atan2(ay, std::sqrt(ax * ax + az * az))), m);
    matrixRotateWorldZ(camera.roll, m);
}

void World::clear() {
    objects = nullptr;
    objectCount = 0;
    lights = nullptr;
    camera = nullptr;
}

void World::addObject(WorldObject* object) {
    object->next = objects;
    objects = object;
    ++objectCount;
}

void World::addLight(WorldLight* light) {
    light->next = lights;
    lights = light;
}

void World::setScreenSize(int width, int height, int depth) {
    screenWidth = width;
    screenHeight = height;
    screenDepth = depth;
}

// Matrices, view positions, projection, plane distances, environment coordinates and smooth
// normals.
void World::prepareObject(WorldObject& o) {
    Matrix34& local = o.localMatrix;
    local = kIdentityMatrix;
    matrixScaleWorld(o.scale.x, o.scale.y, o.scale.z, local);
    matrixRotateWorldX(o.rotation.x, local);
    matrixRotateWorldY(o.rotation.y, local);
    matrixRotateWorldZ(o.rotation.z, local);
    matrixTranslateWorld(o.position.x, o.position.y, o.position.z, local);
    matrixInverse(local, o.inverseLocalMatrix);
    matrixMultiply(camera->viewMatrix, local, o.viewMatrix);

    for (int i = 0; i < o.vertexCount; ++i) {
        ObjectVertex& v = o.vertices[i];
        matrixTransformPoint(o.viewMatrix, v.position, v.viewPosition);
        projectObjectVertex(v);
        computePlaneDistances(v);
        matrixTransformDirection(o.viewMatrix, v.normal, v.viewNormal);
        v.envCoords[0] = (v.viewNormal.x + 1) * 0.5f;
        v.envCoords[1] = (v.viewNormal.y + 1) * 0.5f;
    }

    // The environment coordinates above used last frame's normals; these serve the next frame.
    smoothNormals(o);
}

void World::smoothNormals(WorldObject& o) {
    if (!(o.flags & kObjectSmoothNormals)) return;
    computeFaceNormals(o);
    for (int i = 0; i < o.vertexCount; ++i) {
        ObjectVertex& v = o.vertices[i];
        if (v.adjacentCount == 0) continue;
        Vector3 sum{0, 0, 0};
        for (int k = 0; k < v.adjacentCount; ++k) {
            const Vector3& n = *v.adjacentNormals[k];
            sum = {sum.x + n.x, sum.y + n.y, sum.z + n.z};
        }
        const float inv = 1.0f / float(v.adjacentCount);
        v.normal = {sum.x * inv, sum.y * inv, sum.z * inv};
    }
}

void World::smoothAllNormals() {
    for (WorldObject* o = objects; o; o = o->next)
        if (o->flags & kObjectVisible) smoothNormals(*o);
}

void World::collectFaces(WorldObject& o) {
    const bool cull = (o.flags & kObjectCullBackFaces) != 0;
    for (int i = 0; i < o.faceCount && drawCount < kMaxDrawnFaces; ++i) {
        ObjectFace& f = o.faces[i];
        const Vector3& p0 = f.corners[0]->viewPosition;
        const Vector3& p1 = f.corners[1]->viewPosition;
        const Vector3& p2 = f.corners[2]->viewPosition;
        if (cull) {
            Vector3 c;
            vectorCross(p1, p2, c);
            if (p0.x * c.x + p0.y * c.y + p0.z * c.z < 0) continue;
        }
        f.depthKey = p0.z + p1.z + p2.z;
        drawList[drawCount++] = &f;
    }
}

void World::render() {
    if (!camera) return;
    drawCount = 0;
    buildClipPlanes(*camera);
    buildWorldViewMatrix(*camera);
    for (WorldObject* o = objects; o; o = o->next) {
        if (!(o->flags & kObjectVisible)) continue;
        prepareObject(*o);
        collectFaces(*o);
    }
    for (int i = 0; i < drawCount; ++i) clipAndDrawFace(*drawList[i]);
}
