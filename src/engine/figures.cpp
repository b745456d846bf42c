#include "engine/figures.h"

#include <algorithm>

namespace qx {

namespace {
std::size_t usedPoints(const Figure& f) {
  return std::min(static_cast<std::size_t>(std::max(f.pointCount, 0)), f.outline.size());
}
void ioValues(Archive& ar, std::vector<double>& values, std::string_view what) {
  const std::int32_t n = ar.ioInt32Count(static_cast<std::int32_t>(values.size()), 8, what);
  if (ar.isLoading()) values.resize(static_cast<std::size_t>(n));
  for (auto& v : values) ar.io(v);
}
}  // namespace

void Figure::recomputeBoundingBox() {
  minCorner = {kItemExtent, kItemExtent, kItemExtent};
  maxCorner = {-kItemExtent, -kItemExtent, -kItemExtent};
  const std::size_t n = usedPoints(*this);
  for (std::size_t i = 0; i < n; ++i) widenBox(minCorner, maxCorner, outline[i]);
}

void Figure::serialize(Archive& ar) {
  ar.io(name);
  ar.io(secondText);
  ar.io(colour);
  ar.io(renderingMethod);
  ar.io(visible);
  ar.io(attributeD);
  ar.io(pointCount);
  ar.io(specificGravity);
  ar.io(area);
  ar.io(volume);
  ar.io(oreFraction);
  ar.io(oreTonnage);
  ar.io(wasteTonnage);
  ar.io(thickness);
  const std::int32_t n = ar.ioInt32Count(static_cast<std::int32_t>(outline.size()), 3 * 8, "outline points");
  if (ar.isLoading()) outline.resize(static_cast<std::size_t>(n));
  for (auto& p : outline) {
    ar.io(p.x);
    ar.io(p.y);
    ar.io(p.z);
  }
  ioValues(ar, loadedValues, "loaded values");
  ioValues(ar, calculatedValues, "calculated values");
  if (ar.isLoading()) recomputeBoundingBox();
}

FigureSet::FigureSet()
    : columns{{"Name", 0, 0, 2},          {"X Coordinate", 0, 0, 2},
              {"Y Coordinate", 0, 0, 2},  {"Z Coordinate", 0, 0, 2},
              {"Surface Area", 0, 0, 2},  {"Thickness", 0, 0, 2},
              {"Volume", 0, 0, 2},        {"Ore Tonnage", 0, 0, 2},
              {"Waste Tonnage", 0, 0, 2}, {"Coverage (% Ore)", 0, 0, 2}} {}

DataExtents FigureSet::extents() const {
  DataExtents e{{kItemExtent, kItemExtent, kItemExtent}, {-kItemExtent, -kItemExtent, -kItemExtent}};
  for (const auto& f : figures) {
    const std::size_t n = usedPoints(f);
    for (std::size_t i = 0; i < n; ++i) widenBox(e.min, e.max, f.outline[i]);
  }
  return e;
}

void FigureSet::recomputeBoundingBox() {
  minCorner = {kItemExtent, kItemExtent, kItemExtent};
  maxCorner = {-kItemExtent, -kItemExtent, -kItemExtent};
  for (auto& f : figures) {
    f.recomputeBoundingBox();
    const std::size_t n = usedPoints(f);
    for (std::size_t i = 0; i < n; ++i) widenBox(minCorner, maxCorner, f.outline[i]);
  }
}

void FigureSet::serialize(Archive& ar) {
  ar.setContext("the figures");
  const std::int32_t n = ar.ioInt32Count(static_cast<std::int32_t>(figures.size()), Figure::kMinRecordBytes, "figures");
  ar.io(dilution);
  if (ar.isLoading()) figures.assign(static_cast<std::size_t>(n), Figure());
  for (auto& f : figures) f.serialize(ar);
  serializeColumnFields(ar, columns);
  importRotation.serialize(ar);
  exportRotation.serialize(ar);
  if (ar.isLoading()) recomputeBoundingBox();
}

}  // namespace qx
