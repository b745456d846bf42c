#pragma once
// Drawing the surfaces into the scene tree: one segment
// "?Model/Surfaces/Surface<i>" per surface, holding one shell made of the
// surface's points and the triangles of their plan triangulation. Colour,
// visibility, transparency and rendering method are applied by the scene
// model's display refresh, not here.
#include <vector>

#include "graphics/scene_tree.h"

namespace qx {

class SurfaceSet;

// The segment path of surface i.
std::string surfaceSegmentPath(int index);

// The shell's face list: for each triangle 3 and its three corners.
std::vector<int> surfaceFaceList(const std::vector<int>& corners);

// Draws surface `index`: nothing (kNoKey) unless 0 <= index < count and the
// surface has at least 3 points. Otherwise opens (creating when absent) its
// segment, stores the segment's key at `keys[index]` (the table grows as
// needed), flushes the segment's contents and inserts one shell with every
// point of the surface (x, y, elevation) and the face list. Returns the
// segment's key. The set's triangulator does the triangulation.
gfx::Key drawSurface(gfx::SceneTree& tree, SurfaceSet& set, int index, std::vector<gfx::Key>& keys);

// Draws every surface in order.
void drawSurfaces(gfx::SceneTree& tree, SurfaceSet& set, std::vector<gfx::Key>& keys);

}  // namespace qx
