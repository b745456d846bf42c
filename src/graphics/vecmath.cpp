#include "graphics/vecmath.h"

#include <algorithm>
#include <vector>

namespace qx::gfx {

std::optional<DPoint3D> normalized(const DPoint3D& v) {
  const double len = length(v);
  if (!(len > 1e-300) || !std::isfinite(len)) return std::nullopt;
  return v * (1.0 / len);
}

std::optional<DPoint3D> polygonNormal(std::span<const DPoint3D> points, Handedness handedness) {
  if (points.size() < 3) return std::nullopt;
  // Newell's sum taken about the first point keeps large coordinates accurate.
  const DPoint3D o = points[0];
  DPoint3D n{};
  for (size_t i = 0; i < points.size(); ++i) {
    const DPoint3D a = points[i] - o;
    const DPoint3D b = points[(i + 1) % points.size()] - o;
    n.x += (a.y - b.y) * (a.z + b.z);
    n.y += (a.z - b.z) * (a.x + b.x);
    n.z += (a.x - b.x) * (a.y + b.y);
  }
  // Compare with the outline's size so that rounding noise is not a normal.
  double extent = 0.0;
  for (const auto& p : points) extent = std::max(extent, length(p - o));
  if (!(length(n) > 1e-12 * extent * extent)) return std::nullopt;
  auto unit = normalized(n);
  if (unit && handedness == Handedness::Left) unit = *unit * -1.0;
  return unit;
}

std::optional<FPoint3D> polygonNormal(std::span<const FPoint3D> points, Handedness handedness) {
  std::vector<DPoint3D> d;
  d.reserve(points.size());
  for (const auto& p : points) d.push_back(toDouble(p));
  auto n = polygonNormal(std::span<const DPoint3D>(d), handedness);
  if (!n) return std::nullopt;
  return FPoint3D{static_cast<float>(n->x), static_cast<float>(n->y), static_cast<float>(n->z)};
}

}  // namespace qx::gfx
