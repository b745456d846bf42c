#pragma once
// The plan triangulation of a surface: a Delaunay triangulation of the points'
// x and y (the elevation only lifts the vertices when the surface is drawn).
//
// The corners of each triangle are 0-based indices into the caller's points,
// listed counter-clockwise seen from above. The triangles cover the convex
// hull of the points. Points that share x and y collapse to one vertex (the
// triangles then use one of their indices); points with a non-finite x or y
// are left out. Fewer than three distinct points, or points all on one line,
// give no triangles.
//
// One working object is kept per surface set and reused for every surface; a
// run replaces the previous result.
#include <cstddef>
#include <span>
#include <vector>

#include "common/types.h"

namespace qx {

class Triangulate {
 public:
  Triangulate() = default;
  virtual ~Triangulate() = default;
  Triangulate(const Triangulate&) = default;
  Triangulate& operator=(const Triangulate&) = default;

  // Triangulates `points` in plan; returns the number of triangles.
  int run(std::span<const FPoint3D> points);
  // The same with a count and a pointer, as the surfaces hold them.
  int run(int pointCount, const FPoint3D* points) {
    return run(std::span<const FPoint3D>(points, pointCount > 0 ? static_cast<std::size_t>(pointCount) : 0u));
  }

  int inputCount() const { return inputCount_; }
  int triangleCount() const { return static_cast<int>(corners_.size() / 3); }
  // Three corner indices per triangle.
  const std::vector<int>& corners() const { return corners_; }

  // Equal results (the working object carries no other state between runs).
  friend bool operator==(const Triangulate&, const Triangulate&) { return true; }

 private:
  int inputCount_ = 0;
  std::vector<int> corners_;
};

}  // namespace qx
