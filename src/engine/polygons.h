#pragma once
// The polygon set: one polygon of influence per composite that takes part in
// the calculation, with its Voronoi cell, its clipped outline and the values
// derived from them (area, thickness, volume, specific gravity, tonnage).
#include <cstdint>
#include <string>
#include <vector>

#include "common/types.h"
#include "datasets/envelopes.h"
#include "engine/sections/rotation.h"
#include "io/archive.h"
#include "project/quarlex_settings.h"

namespace qx {

class CPolygon {
 public:
  std::string name;         // "poly%05d" with the composite index
  std::int32_t colour = 0;  // colour index of the composite's bin
  double specificGravity = 2.0;
  double area = 0.0;  // of the clipped outline
  double volume = 0.0;
  double tonnage = 0.0;
  double thickness = 0.0;
  DPoint3D minCorner{kItemExtent, kItemExtent, kItemExtent};  // box of the outline
  DPoint3D maxCorner{-kItemExtent, -kItemExtent, -kItemExtent};
  std::vector<DPoint3D> cell;     // the Voronoi cell, counter-clockwise, not closed
  std::vector<DPoint3D> outline;  // the clipped outline; may be empty
  std::int32_t compositeIndex = -1;

  int cellCount() const { return static_cast<int>(cell.size()); }
  int outlineCount() const { return static_cast<int>(outline.size()); }

  // The box of the outline, from +-1e37.
  void recomputeBoundingBox();

  // compositeIndex; name; colour; cell count; outline count; specific gravity,
  // area, volume, tonnage, thickness (doubles); the cell points; the outline
  // points (3 doubles each). A load recomputes the box.
  void serialize(Archive& ar);
  static constexpr std::size_t kMinRecordBytes = 4 + 1 + 4 + 4 + 4 + 5 * 8;

  friend bool operator==(const CPolygon&, const CPolygon&) = default;
};

class CPolygonSet {
 public:
  CPolygonSet();
  // New project: every field back to its construction default.
  void reset() { *this = CPolygonSet(); }

  // Export columns: "Name", "X Coordinate", "Y Coordinate", "Z Coordinate",
  // "Surface Area", "Thickness", "Volume", "Tonnage", each at position 0,
  // width 0, 2 decimals until the export's column page sets them. A load
  // takes as many columns as the record holds.
  std::vector<ColumnField> columns;
  std::vector<CPolygon> polygons;
  std::int32_t displayMode = 2;  // the five display modes of the scene
  std::int32_t shown = 1;        // the polygons' visible flag
  // A third display option that the scene reads; its meaning is the scene's.
  std::int32_t displayOption = 0;
  double displayThicknessFactor = 1.0;                        // one of 0, 0.1, 0.25, 0.5, 1, 2, 5, 10
  DPoint3D minCorner{kItemExtent, kItemExtent, kItemExtent};  // box of all outlines
  DPoint3D maxCorner{-kItemExtent, -kItemExtent, -kItemExtent};
  CParamsRotation exportRotation;

  int count() const { return static_cast<int>(polygons.size()); }

  // The box over all outline points; +-1e37 when there is none.
  DataExtents extents() const;
  // Recomputes each polygon's box, then the set's.
  void recomputeBoundingBox();

  // polygon count; displayMode, shown, displayOption; displayThicknessFactor;
  // column count; per column name, position, width, decimals; exportRotation;
  // the polygons. A load replaces the set and recomputes the boxes.
  void serialize(Archive& ar);

  friend bool operator==(const CPolygonSet&, const CPolygonSet&) = default;
};

}  // namespace qx
