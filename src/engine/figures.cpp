#include "engine/figures.h"

#include <algorithm>
#include <cmath>

#include "datasets/color_table.h"
#include "engine/polygons.h"

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

void Figure::computeArea() { area = outlineArea(outline); }

int Figure::removeRepeatedVertices(double radiusOfInfluence) {
  const double tolerance = radiusOfInfluence * 1e-9;
  int removed = 0;
  for (std::size_t i = outline.size(); i-- > 1;) {
    const DPoint3D& a = outline[i - 1];
    const DPoint3D& b = outline[i];
    if (std::abs(b.x - a.x) + std::abs(b.y - a.y) + std::abs(b.z - a.z) < tolerance) {
      outline.erase(outline.begin() + static_cast<std::ptrdiff_t>(i));
      ++removed;
    }
  }
  return removed;
}

double figureVariableValue(const Figure& f, int n, int loadedCount) {
  if (n < 0) return 0.0;
  if (n < loadedCount)
    return static_cast<std::size_t>(n) < f.loadedValues.size() ? f.loadedValues[static_cast<std::size_t>(n)] : 0.0;
  const auto k = static_cast<std::size_t>(n - loadedCount);
  return k < f.calculatedValues.size() ? f.calculatedValues[k] : 0.0;
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

int FigureSet::findByName(std::string_view name) const {
  for (int i = 0; i < count(); ++i)
    if (figures[static_cast<std::size_t>(i)].name == name) return i;
  return -1;
}

void FigureSet::updateColours(const CColorTable& colours, const QuarlexSettings& settings) {
  std::vector<std::string> loadedNames, calculatedNames;
  for (const auto& v : settings.loaded) loadedNames.push_back(v.name);
  for (const auto& v : settings.calculated) calculatedNames.push_back(v.name);
  const BinClassifier classify(colours, colours.currentTable, loadedNames, calculatedNames);
  // The loaded values are padded or cut to the settings' count, so that the
  // calculated values stand at their combined numbers.
  const auto loaded = static_cast<std::size_t>(settings.loadedCount());
  std::vector<double> values;
  for (auto& f : figures) {
    values.assign(loaded, 0.0);
    std::copy_n(f.loadedValues.begin(), std::min(loaded, f.loadedValues.size()), values.begin());
    values.insert(values.end(), f.calculatedValues.begin(), f.calculatedValues.end());
    f.colour = classify.classify(values);
  }
}

void FigureValueSink::removeValue(int index) {
  const int k = position(index);
  if (k < 0) return;
  for (auto& f : set_.figures) {
    auto& v = values(f);
    if (static_cast<std::size_t>(k) < v.size()) v.erase(v.begin() + k);
  }
}

void FigureValueSink::insertValue(int index, double defaultValue) {
  const int k = position(index);
  if (k < 0) return;
  for (auto& f : set_.figures) {
    auto& v = values(f);
    v.insert(v.begin() + static_cast<std::ptrdiff_t>(std::min(static_cast<std::size_t>(k), v.size())), defaultValue);
  }
}

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
