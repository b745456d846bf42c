#include "engine/polygons.h"

#include <algorithm>

namespace qx {

namespace {
void ioPoints(Archive& ar, std::vector<DPoint3D>& points) {
  for (auto& p : points) {
    ar.io(p.x);
    ar.io(p.y);
    ar.io(p.z);
  }
}
constexpr std::size_t kPointBytes = 3 * 8;
}  // namespace

void CPolygon::recomputeBoundingBox() {
  minCorner = {kItemExtent, kItemExtent, kItemExtent};
  maxCorner = {-kItemExtent, -kItemExtent, -kItemExtent};
  for (const auto& p : outline) widenBox(minCorner, maxCorner, p);
}

void CPolygon::serialize(Archive& ar) {
  ar.io(compositeIndex);
  ar.io(name);
  ar.io(colour);
  const std::int32_t nc = ar.ioInt32Count(static_cast<std::int32_t>(cell.size()), kPointBytes, "cell points");
  const std::int32_t no = ar.ioInt32Count(static_cast<std::int32_t>(outline.size()), kPointBytes, "outline points");
  ar.io(specificGravity);
  ar.io(area);
  ar.io(volume);
  ar.io(tonnage);
  ar.io(thickness);
  if (ar.isLoading()) {
    // Both point lists follow: check them together before sizing either.
    ar.reader().requireElements(static_cast<std::uint64_t>(nc) + static_cast<std::uint64_t>(no), kPointBytes,
                                "polygon points");
    cell.resize(static_cast<std::size_t>(nc));
    outline.resize(static_cast<std::size_t>(no));
  }
  ioPoints(ar, cell);
  ioPoints(ar, outline);
  if (ar.isLoading()) recomputeBoundingBox();
}

CPolygonSet::CPolygonSet()
    : columns{{"Name", 0, 0, 2},         {"X Coordinate", 0, 0, 2}, {"Y Coordinate", 0, 0, 2},
              {"Z Coordinate", 0, 0, 2}, {"Surface Area", 0, 0, 2}, {"Thickness", 0, 0, 2},
              {"Volume", 0, 0, 2},       {"Tonnage", 0, 0, 2}} {}

DataExtents CPolygonSet::extents() const {
  DataExtents e{{kItemExtent, kItemExtent, kItemExtent}, {-kItemExtent, -kItemExtent, -kItemExtent}};
  for (const auto& poly : polygons)
    for (const auto& p : poly.outline) widenBox(e.min, e.max, p);
  return e;
}

void CPolygonSet::recomputeBoundingBox() {
  minCorner = {kItemExtent, kItemExtent, kItemExtent};
  maxCorner = {-kItemExtent, -kItemExtent, -kItemExtent};
  for (auto& poly : polygons) {
    poly.recomputeBoundingBox();
    widenBox(minCorner, maxCorner, poly.minCorner, poly.maxCorner);
  }
}

void CPolygonSet::widenBoxByPolygons() {
  minCorner = {kItemExtent, kItemExtent, kItemExtent};
  maxCorner = {-kItemExtent, -kItemExtent, -kItemExtent};
  for (const auto& poly : polygons) widenBox(minCorner, maxCorner, poly.minCorner, poly.maxCorner);
}

void CPolygonSet::serialize(Archive& ar) {
  ar.setContext("the polygons");
  const std::int32_t n =
      ar.ioInt32Count(static_cast<std::int32_t>(polygons.size()), CPolygon::kMinRecordBytes, "polygons");
  ar.io(displayMode);
  ar.io(shown);
  ar.io(displayOption);
  ar.io(displayThicknessFactor);
  serializeColumnFields(ar, columns);
  exportRotation.serialize(ar);
  if (ar.isLoading()) {
    // The columns and the rotation came between the count and the polygons.
    ar.reader().requireElements(static_cast<std::uint64_t>(n), CPolygon::kMinRecordBytes, "polygons");
    polygons.assign(static_cast<std::size_t>(n), CPolygon());
  }
  for (auto& p : polygons) p.serialize(ar);
  if (ar.isLoading()) recomputeBoundingBox();
}

}  // namespace qx
