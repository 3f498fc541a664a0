// Depth lists: a mesh's faces listed for drawing, sorted back to front, and drawn in order.
#include "effects/depthsort.h"

#include <algorithm>
#include <new>
#include <utility>

#include "effects/clipper.h"

DepthEntry* depthSortList = nullptr;

void sortDepthList(int first, int last) {
    DepthEntry* d = depthSortList;
    if (!d) return;
    // Hoare partition; the right-hand part is looped over so only the left one uses the stack.
    while (first < last) {
        const float pivot = d[first + (last - first) / 2].depth;
        int i = first, j = last;
        for (;;) {
            while (d[i].depth > pivot) ++i;
            while (d[j].depth < pivot) --j;
            if (i > j) break;
            std::swap(d[i], d[j]);
            ++i;
            --j;
            if (i >= j) break;
        }
        if (first < j) sortDepthList(first, j);
        first = i;
    }
}

void fillDepthList(DepthEntry* list, const Mesh& mesh) {
    for (int32_t i = 0; i < mesh.faces.count; ++i) list[i] = {&mesh.faces.faces[i], 0.0f};
}

void setFaceDepths(DepthEntry* list, int count) {
    for (int i = 0; i < count; ++i) {
        MeshVertex* const* c = list[i].face->corners;
        list[i].depth = c[0]->z + c[1]->z + c[2]->z;
    }
}

void drawFaces(const DepthEntry* list, int count, bool dual) {
    for (int i = 0; i < count; ++i) {
        MeshVertex* const* c = list[i].face->corners;
        const bool inside = (c[0]->clipFlags | c[1]->clipFlags | c[2]->clipFlags) == 0;
        if (dual) {
            if (inside)
                gRenderer->drawTriangleDual(c[0], c[1], c[2]);
            else
                drawClippedTriangleDual(c[0], c[1], c[2], 1);
        } else {
            if (inside)
                gRenderer->drawTriangle(c[0], c[1], c[2]);
            else
                drawClippedTriangle(c[0], c[1], c[2], 1);
        }
    }
}

bool DepthList::prepare(const Mesh& mesh, size_t minBytes) {
    const size_t floorEntries = (minBytes + sizeof(DepthEntry) - 1) / sizeof(DepthEntry);
    const size_t needed = std::max(static_cast<size_t>(mesh.faces.count), floorEntries);
    count_ = 0;
    if (needed > static_cast<size_t>(capacity_)) {
        // Lists outlive the scene run, so a later run (or a larger mesh) only grows them.
        DepthEntry* grown = new (std::nothrow) DepthEntry[needed];
        if (!grown) return false;
        entries_.reset(grown);
        capacity_ = static_cast<int>(needed);
    }
    fillDepthList(entries_.get(), mesh);
    count_ = mesh.faces.count;
    return true;
}

void DepthList::sortByDepth(const Mesh& mesh) {
    if (count_ == 0) return;
    fillDepthList(entries_.get(), mesh);
    setFaceDepths(entries_.get(), count_);
    depthSortList = entries_.get();
    sortDepthList(0, count_ - 1);
}
