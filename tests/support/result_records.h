#pragma once
// Polygons and figures built in one call, for the tests of the reports and
// the result files.
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "engine/figures.h"
#include "engine/polygons.h"

namespace qx::test {

inline std::vector<DPoint3D> rectangle(double x0, double y0, double x1, double y1) {
  return {{x0, y0, 0.0}, {x1, y0, 0.0}, {x1, y1, 0.0}, {x0, y1, 0.0}};
}

inline CPolygon makePolygon(int composite, double area, double thickness, double volume, double tonnage,
                            std::vector<DPoint3D> outline = {}) {
  CPolygon p;
  p.compositeIndex = composite;
  p.area = area;
  p.thickness = thickness;
  p.volume = volume;
  p.tonnage = tonnage;
  p.outline = std::move(outline);
  return p;
}

// `totals`: area, thickness, volume, ore tonnage, waste tonnage, ore fraction.
// Every vertex of the outline is used and the box is worked out.
inline Figure makeFigure(std::string name, std::vector<DPoint3D> outline, const std::array<double, 6>& totals,
                         std::vector<double> loaded, std::vector<double> calculated) {
  Figure f;
  f.name = std::move(name);
  f.outline = std::move(outline);
  f.pointCount = static_cast<std::int32_t>(f.outline.size());
  f.area = totals[0];
  f.thickness = totals[1];
  f.volume = totals[2];
  f.oreTonnage = totals[3];
  f.wasteTonnage = totals[4];
  f.oreFraction = totals[5];
  f.loadedValues = std::move(loaded);
  f.calculatedValues = std::move(calculated);
  f.recomputeBoundingBox();
  return f;
}

}  // namespace qx::test
