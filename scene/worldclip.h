// View-frustum clipping of world faces against five planes, and the hand-over to the renderer.
#pragma once

#include "scene/worldtypes.h"

// 100 / tan(fov / 2) for the camera in use, the scale of projectObjectVertex; World::setCamera
// sets it from the camera's fov.
extern float worldProjection;

// The five frustum planes (nx, ny, nz, d): left, right, bottom, top sides and the near plane.
// A point p is inside a plane when nx p.x + ny p.y + nz p.z + d >= 0.
extern float worldClipPlanes[5][4];

// Brightness of the world's triangles (their vertex colour); 1 is full brightness. Read freely;
// written through setClosingFade.
extern float closingFade;
// Sets the brightness of the world's triangles.
void setClosingFade(float fade);
// Puts closingFade back to full brightness.
void resetWorldClipState();

// Most vertices a face may grow to while it is clipped; five planes need at most 8.
constexpr int kClipPolygonCapacity = 15;

// Rebuilds the five planes from the camera's field of view (degrees).
void buildClipPlanes(const WorldCamera& camera);
// Writes the vertex's signed distances to the five planes from its view position.
void computePlaneDistances(ObjectVertex& v);
// Projects the vertex's view position to the screen and stores its depth.
void projectObjectVertex(ObjectVertex& v);
// Clips the face against the five planes and draws what is left as a triangle fan.
void clipAndDrawFace(const ObjectFace& face);
// Draws one triangle with both texture units; corners behind or on the eye plane drop it.
void drawWorldTriangle(const ObjectVertex& a, const ObjectVertex& b, const ObjectVertex& c);
