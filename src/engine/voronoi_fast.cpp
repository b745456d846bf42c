#include "engine/voronoi.h"

namespace qx {

bool FastVoronoi::compute(const std::vector<DPoint3D>&, double) { return false; }
int FastVoronoi::buildCell(int i, std::vector<DPoint3D>& cell) const {
  cell.clear();
  return i < 0 ? -1 : 0;
}

}  // namespace qx
