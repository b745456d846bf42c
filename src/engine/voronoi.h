#pragma once
// Voronoi cells of a planar point set, bounded by an enlarged rectangle around
// the points. CVoronoi is the direct construction (every pair of bisectors cut
// against each other, of order n^3); FastVoronoi bounds each cell by the
// bisectors of its Delaunay neighbours only, with the same formulas.
#include <vector>

#include "common/types.h"

namespace qx {

class CVoronoi {
 public:
  CVoronoi() = default;
  explicit CVoronoi(int n);
  // Takes X and Y of every point, with the shear of 1e-6 per index, and the
  // rectangle enlarged by 3 * maxRadius plus its own size. Returns n.
  int setPoints(const std::vector<DPoint3D>& points, double maxRadius);
  // Builds and clips all segments. Returns 1.
  int compute();
  // The cell of point i, counter-clockwise, open, Z = 0. Returns its vertex
  // count; -1 (and an empty cell) for a negative index.
  int buildCell(int i, std::vector<DPoint3D>& cell) const;
};

class FastVoronoi {
 public:
  // False when the input is declined; the caller then uses CVoronoi.
  bool compute(const std::vector<DPoint3D>& points, double maxRadius);
  int buildCell(int i, std::vector<DPoint3D>& cell) const;
};

}  // namespace qx
