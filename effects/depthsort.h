// Depth lists: a mesh's faces listed for drawing, sorted back to front, and drawn in order.
#pragma once
#include <cstddef>
#include <memory>

#include "scene/mesh.h"

// One entry of a depth list: a face and its sort key (larger = farther).
struct DepthEntry {
    MeshFace* face;
    float depth;
};

// The list that sortDepthList orders; callers point it at their list before each sort.
extern DepthEntry* depthSortList;

// Sorts entries first..last (inclusive) of depthSortList by depth, largest first; ties unordered.
void sortDepthList(int first, int last);

// Points entry i of list at face i of mesh, for every face in file order.
void fillDepthList(DepthEntry* list, const Mesh& mesh);
// Sets each entry's depth to the sum of its face's three view-space z.
void setFaceDepths(DepthEntry* list, int count);
// Draws the listed faces in order, unflagged ones directly, others through the clipper.
// dual picks the two-unit pair (drawTriangleDual, drawClippedTriangleDual).
void drawFaces(const DepthEntry* list, int count, bool dual);

// A list of a mesh's faces for drawing, optionally sorted by depth. Its storage is taken at scene
// set-up, sized from the mesh, and kept for later runs, so that frames never allocate.
class DepthList {
  public:
    // Makes room for every face of mesh, and never less than minBytes worth of entries, then
    // fills the list with the faces in file order. Returns false (and holds no faces, so nothing
    // is drawn) when memory runs out.
    bool prepare(const Mesh& mesh, size_t minBytes);
    // Refills the list in file order, sets each depth to the sum of its corners' view-space z and
    // sorts it farthest first.
    void sortByDepth(const Mesh& mesh);
    // Draws the faces in list order: two-unit (dual) or single-unit triangles, clipping those
    // with a flagged corner.
    void draw(bool dual) const { drawFaces(entries_.get(), count_, dual); }

    int count() const { return count_; }
    int capacity() const { return capacity_; }
    const DepthEntry* entries() const { return entries_.get(); }

  private:
    std::unique_ptr<DepthEntry[]> entries_;
    int capacity_ = 0;
    int count_ = 0;
};
