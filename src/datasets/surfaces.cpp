#include "datasets/surfaces.h"

namespace qx {

void Surface::serialize(Archive& ar) {
  ar.io(name);
  ar.io(colour);
  ar.io(visible);
  ar.io(transparency);
  ar.io(renderingMethod);
  std::int32_t first = static_cast<std::int32_t>(points.size());
  ar.io(first);
  const std::int32_t n = ar.ioInt32Count(static_cast<std::int32_t>(points.size()), 3 * 4, "surface points");
  if (ar.isLoading()) {
    points.resize(static_cast<std::size_t>(n));
    pointCount = n;
  }
  for (auto& p : points) {
    ar.io(p.x);
    ar.io(p.y);
    ar.io(p.z);
  }
}

SurfaceSet::SurfaceSet() : fieldNames{"X Coordinate", "Y Coordinate", "Elevation"} {}

void SurfaceSet::serialize(Archive& ar) {
  ar.setContext("the surfaces");
  ar.io(minCorner.x);
  ar.io(minCorner.y);
  ar.io(minCorner.z);
  ar.io(maxCorner.x);
  ar.io(maxCorner.y);
  ar.io(maxCorner.z);
  const std::int32_t n =
      ar.ioInt32Count(static_cast<std::int32_t>(surfaces.size()), Surface::kMinRecordBytes, "surfaces");
  if (ar.isLoading()) surfaces.assign(static_cast<std::size_t>(n), Surface());
  for (auto& s : surfaces) s.serialize(ar);
  for (int i = 0; i < kFieldCount; ++i) {
    ar.io(fieldNames[static_cast<std::size_t>(i)]);
    ar.io(fieldPositions[static_cast<std::size_t>(i)]);
    ar.io(fieldWidths[static_cast<std::size_t>(i)]);
    ar.io(fieldDecimals[static_cast<std::size_t>(i)]);
  }
}

}  // namespace qx
