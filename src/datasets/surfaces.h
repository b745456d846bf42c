#pragma once
// Surfaces: named clouds of x, y, elevation points in single precision, shown
// as a shell of triangles made in plan.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/types.h"
#include "datasets/envelope_dialogs.h"
#include "datasets/triangulate.h"
#include "io/archive.h"
#include "project/quarlex_settings.h"
#include "sections/rotation.h"

namespace qx {

class Surface {
 public:
  Surface() = default;
  virtual ~Surface() = default;
  Surface(const Surface&) = default;
  Surface& operator=(const Surface&) = default;

  std::string name;         // unique within the set
  std::int32_t colour = 0;  // RGB, red in the low byte
  std::int32_t visible = 1;
  float transparency = 0.0f;         // 0 to 1 in steps of 0.1
  std::int32_t renderingMethod = 3;  // index in the "Rendering Method" list
  // Mirrors the size of points; set from it by a load.
  std::int32_t pointCount = 0;
  std::vector<FPoint3D> points;  // x, y, elevation

  // name; colour; visible; transparency (float); renderingMethod; the point
  // count twice (the second copy is the one read); x, y, elevation (floats)
  // per point.
  void serialize(Archive& ar);
  static constexpr std::size_t kMinRecordBytes = 1 + 4 + 4 + 4 + 4 + 4 + 4;

  friend bool operator==(const Surface&, const Surface&) = default;
};

class SurfaceSet {
 public:
  static constexpr int kFieldCount = 3;
  static constexpr double kNewExtent = 1e38;

  SurfaceSet();
  // New project: every field back to its construction default.
  void reset() { *this = SurfaceSet(); }

  DPoint3D minCorner{kNewExtent, kNewExtent, kNewExtent};
  DPoint3D maxCorner{-kNewExtent, -kNewExtent, -kNewExtent};
  std::vector<Surface> surfaces;  // in load order
  std::array<std::string, kFieldCount> fieldNames;
  std::array<std::int32_t, kFieldCount> fieldPositions{1, 11, 21};  // 1-based first column
  std::array<std::int32_t, kFieldCount> fieldWidths{10, 10, 10};
  std::array<std::int32_t, kFieldCount> fieldDecimals{2, 2, 2};  // stored only
  CParamsRotation importRotation;                                // not stored
  CParamsRotation secondRotation;                                // not stored; nothing uses it
  // The working triangulation, reused for every surface when it is drawn; not stored.
  Triangulate triangulator;

  int count() const { return static_cast<int>(surfaces.size()); }
  // The box every load has widened; +-1e38 before the first surface, so
  // that widening by it changes nothing.
  DataExtents extents() const { return {minCorner, maxCorner}; }

  // minCorner, maxCorner (3 doubles each); count; the surfaces; per field
  // name, position, width, decimals. The rotations are not stored; a load
  // keeps them. A load replaces the surfaces.
  void serialize(Archive& ar);

  friend bool operator==(const SurfaceSet&, const SurfaceSet&) = default;
};

// "Surfaces": name, "Surface Visible", colour, "Transparency" and
// "Rendering Method"; accepting the sheet writes them back (apply).
class CSurfacesPropertyPage : public ItemPropertiesPage {
 public:
  static constexpr std::string_view kKind = "surfaces_properties";
  CSurfacesPropertyPage(const SurfaceSet& set, std::function<void(int)> erase);
  void apply(SurfaceSet& set) const;
};

}  // namespace qx
