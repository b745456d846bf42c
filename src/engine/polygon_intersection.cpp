#include "engine/polygon_intersection.h"

namespace qx {

IntersectionResult intersectPolygons(const std::vector<FPoint2D>&, const std::vector<FPoint2D>&) { return {}; }

int pointInPolygon(FPoint2D, const std::vector<FPoint2D>&) { return 0; }

}  // namespace qx
