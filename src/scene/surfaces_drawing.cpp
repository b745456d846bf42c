#include "scene/surfaces_drawing.h"

#include <span>
#include <string>

#include "datasets/surfaces.h"

namespace qx {

std::string surfaceSegmentPath(int index) { return "?Model/Surfaces/Surface" + std::to_string(index); }

std::vector<int> surfaceFaceList(const std::vector<int>& corners) {
  std::vector<int> faces;
  faces.reserve(corners.size() / 3 * 4);
  for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
    faces.push_back(3);
    faces.insert(faces.end(), corners.begin() + static_cast<std::ptrdiff_t>(i),
                 corners.begin() + static_cast<std::ptrdiff_t>(i + 3));
  }
  return faces;
}

gfx::Key drawSurface(gfx::SceneTree& tree, SurfaceSet& set, int index, std::vector<gfx::Key>& keys) {
  if (index < 0 || index >= set.count()) return gfx::kNoKey;
  const Surface& surface = set.surfaces[static_cast<std::size_t>(index)];
  if (surface.points.size() < 3) return gfx::kNoKey;

  set.triangulator.run(surface.points);
  const std::vector<int> faces = surfaceFaceList(set.triangulator.corners());

  const gfx::Key key = tree.openSegment(surfaceSegmentPath(index));
  if (keys.size() <= static_cast<std::size_t>(index)) keys.resize(static_cast<std::size_t>(index) + 1, gfx::kNoKey);
  keys[static_cast<std::size_t>(index)] = key;
  tree.flushContents(".");
  tree.insertShell(std::span<const FPoint3D>(surface.points), faces);
  tree.closeSegment();
  return key;
}

void drawSurfaces(gfx::SceneTree& tree, SurfaceSet& set, std::vector<gfx::Key>& keys) {
  for (int i = 0; i < set.count(); ++i) drawSurface(tree, set, i, keys);
}

}  // namespace qx
