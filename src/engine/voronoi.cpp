#include "engine/voronoi.h"

namespace qx {

CVoronoi::CVoronoi(int) {}
int CVoronoi::setPoints(const std::vector<DPoint3D>& points, double) { return static_cast<int>(points.size()); }
int CVoronoi::compute() { return 1; }
int CVoronoi::buildCell(int i, std::vector<DPoint3D>& cell) const {
  cell.clear();
  return i < 0 ? -1 : 0;
}

}  // namespace qx
