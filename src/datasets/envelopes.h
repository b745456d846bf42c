#pragma once
// Envelopes: named ore-body outlines, each one or more closed contours with a
// density, a colour and the switches that tell the calculation and the
// exports how to treat what falls inside. The set holds them in priority order.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/types.h"
#include "io/archive.h"
#include "io/columns.h"
#include "project/quarlex_settings.h"
#include "sections/rotation.h"

namespace qx {

// An open list of points, closed implicitly from the last point to the first.
using Contour = std::vector<DPoint3D>;

inline constexpr double kItemExtent = 1e37;

// The column description a set stores in the project file is a list of
// ColumnField (io/columns.h): name, 1-based first column, length in
// characters and decimals when written.

class Envelope {
 public:
  Envelope() = default;
  virtual ~Envelope() = default;
  Envelope(const Envelope&) = default;
  Envelope& operator=(const Envelope&) = default;

  std::string name;
  std::int32_t renderingMethod = 0;  // index in the "Rendering Method" list
  // Stored as its own field ahead of the contours; the editing operations keep
  // it equal to the number of contours. A load takes it as stored.
  std::int32_t contourCount = 0;
  std::int32_t colour = 0;  // RGB, red in the low byte
  std::int32_t visible = 1;
  std::int32_t clipPolygons = 1;      // polygons inside are cut to the contour
  std::int32_t useComposites = 1;     // composites inside take part in the calculation
  std::int32_t exportComposites = 1;  // composites inside are written by the composite export
  std::int32_t reservedFlag = 1;      // stored and restored; nothing reads it
  std::int32_t exportEnvelope = 1;    // written by the envelope export
  float transparency = 0.0f;          // 0 to 1 in steps of 0.1; stored only
  double density = 2.0;
  DPoint3D minCorner{kItemExtent, kItemExtent, kItemExtent};
  DPoint3D maxCorner{-kItemExtent, -kItemExtent, -kItemExtent};
  std::vector<Contour> contours;

  // Encloses every point of every contour, starting from +-1e37.
  void recomputeBoundingBox();

  // The first contour that contains (x, y), or -1. Only x and y count. Each
  // contour is an even-odd crossing test against the horizontal ray toward +x:
  // an edge counts when y lies in the half-open range from its lower to its
  // upper end and x is strictly left of where the edge crosses that line. So a
  // point on a left or bottom edge is inside, one on a right or top edge is
  // outside. Contours are not holes: inside any one is inside the envelope.
  int findContour(double x, double y) const;
  bool contains(double x, double y) const { return findContour(x, y) >= 0; }

  // In each contour, from the last point down to the second, deletes a point
  // whose |dx| + |dy| + |dz| to the point before it is below `tolerance`. The
  // first and last points are never compared. Returns the number removed.
  int removeRepeatedPoints(double tolerance);

  // name; renderingMethod; contourCount; colour; visible; clipPolygons;
  // useComposites; exportComposites; reservedFlag; exportEnvelope;
  // transparency (float); density (double); number of contours; per contour
  // its point count and x, y, z (doubles) per point. A load recomputes the box.
  void serialize(Archive& ar);
  static constexpr std::size_t kMinRecordBytes = 1 + 9 * 4 + 4 + 8 + 4;

  friend bool operator==(const Envelope&, const Envelope&) = default;
};

class EnvelopeSet {
 public:
  static constexpr double kNewExtent = 999999.0;

  EnvelopeSet();
  // New project: every field back to its construction default.
  void reset() { *this = EnvelopeSet(); }

  std::int32_t currentEnvelope = -1;  // envelope being edited by the tools
  std::int32_t currentContour = -1;   // contour being edited by the tools
  std::int32_t reservedSetting = 1;   // stored and restored
  std::int32_t exportOutside = 1;     // composites outside every envelope are exported
  std::vector<Envelope> envelopes;    // in priority order
  // The outline column description: "Envelope Name", "X Coordinate",
  // "Y Coordinate", "Z Coordinate". A name width of 0 means the file carries
  // no names. The record carries the number of fields (4); a load takes as
  // many as it holds.
  std::vector<ColumnField> fields;
  DPoint3D minCorner{kNewExtent, kNewExtent, kNewExtent};
  DPoint3D maxCorner{-kNewExtent, -kNewExtent, -kNewExtent};
  CParamsRotation importRotation;
  CParamsRotation secondRotation;  // stored and restored only

  int count() const { return static_cast<int>(envelopes.size()); }

  // The first envelope, in priority order, whose contours contain (x, y) (see
  // Envelope::findContour), or -1; `contour` receives the contour index (or -1).
  int findContaining(double x, double y, int* contour = nullptr) const;
  // The index of the first envelope named exactly `name`, or -1.
  int findByName(std::string_view name) const;

  // Removes repeated points from every envelope with the tolerance
  // maxRadiusOfInfluence * 1e-9. Returns the number removed.
  int removeRepeatedPoints(double maxRadiusOfInfluence);
  static constexpr double kRepeatedPointFactor = 1e-9;

  // The four fields by name ("Envelope Name", "X Coordinate", ...), nullptr when absent.
  ColumnField* field(std::string_view name);
  const ColumnField* field(std::string_view name) const;
  static constexpr const char* kNameField = "Envelope Name";
  static constexpr const char* kXField = "X Coordinate";
  static constexpr const char* kYField = "Y Coordinate";
  static constexpr const char* kZField = "Z Coordinate";

  // The box over every contour point of every envelope; +-1e37 when there is none.
  DataExtents extents() const;
  // Recomputes each envelope's box, then the set's from +-1e37.
  void recomputeBoundingBox();

  // count; currentEnvelope; currentContour; reservedSetting; exportOutside;
  // the envelopes; field count; per field name, decimals, width, position;
  // importRotation; secondRotation. A load replaces the envelopes and the
  // fields and recomputes the boxes.
  void serialize(Archive& ar);

  friend bool operator==(const EnvelopeSet&, const EnvelopeSet&) = default;
};

}  // namespace qx
