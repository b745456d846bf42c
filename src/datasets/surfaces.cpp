#include "datasets/surfaces.h"

#include <algorithm>
#include <cmath>

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

namespace {

std::vector<ItemProperties> surfaceItems(const SurfaceSet& set) {
  std::vector<ItemProperties> items;
  for (const Surface& s : set.surfaces)
    items.push_back({s.name, s.visible != 0, static_cast<ColorRef>(s.colour),
                     static_cast<int>(std::lround(s.transparency * 100.0f)), s.renderingMethod, 0.0});
  return items;
}

}  // namespace

CSurfacesPropertyPage::CSurfacesPropertyPage(const SurfaceSet& set, std::function<void(int)> erase)
    : ItemPropertiesPage(std::string(kKind), "Surfaces", "Are you sure you want to delete this Surface?",
                         surfaceItems(set), std::move(erase)) {}

void CSurfacesPropertyPage::apply(SurfaceSet& set) const {
  const std::size_t n = std::min(items_.size(), set.surfaces.size());
  for (std::size_t i = 0; i < n; ++i) {
    Surface& s = set.surfaces[i];
    s.name = items_[i].name;
    s.visible = items_[i].visible ? 1 : 0;
    s.colour = static_cast<std::int32_t>(items_[i].colour);
    s.renderingMethod = items_[i].renderingMethod;
    s.transparency = static_cast<float>(items_[i].transparency) / 100.0f;
  }
}

}  // namespace qx
