#pragma once
// Composites: the drill-hole samples of the project, named points that carry
// one value per loaded variable and one computed value per calculated
// variable, with the column description of composite files.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/types.h"
#include "engine/sections/rotation.h"
#include "io/archive.h"
#include "project/quarlex_settings.h"

namespace qx {

class CComposite {
 public:
  std::string name;                 // as read from the file; may be blank
  std::int32_t reserved = 0;        // stored and restored unchanged
  std::int32_t envelopeIndex = -1;  // envelope that contains the composite, -1 when none
  DPoint3D position;
  std::vector<double> values;      // one per loaded variable
  std::vector<double> calcValues;  // one per calculated variable; never stored

  friend bool operator==(const CComposite&, const CComposite&) = default;
};

class CompositeSet {
 public:
  static constexpr int kFieldCount = 4;
  static constexpr double kNewExtent = 999999.0;
  static constexpr double kRecomputeExtent = 1e37;

  CompositeSet();
  // New project: every field back to its construction default.
  void reset() { *this = CompositeSet(); }

  std::int32_t singleFlag = 0;
  std::array<std::string, kFieldCount> fieldNames;
  std::array<std::int32_t, kFieldCount> fieldPositions{1, 16, 26, 36};  // 1-based first column
  std::array<std::int32_t, kFieldCount> fieldWidths{15, 10, 10, 10};
  std::array<std::int32_t, kFieldCount> fieldDecimals{0, 2, 2, 2};  // used when exporting
  DPoint3D minCorner{kNewExtent, kNewExtent, kNewExtent};
  DPoint3D maxCorner{-kNewExtent, -kNewExtent, -kNewExtent};
  std::int32_t useOutside = 1;  // composites outside every envelope take part
  std::vector<CComposite> composites;
  CParamsRotation importRotation;
  CParamsRotation exportRotation;

  // The numbers of loaded and calculated variables the composites carry. The
  // record stores one value per loaded variable without a count of its own, so
  // a load needs them: the document sets them from the settings (loaded
  // before the composites) through setVariableCounts, or calls the
  // three-argument serialize.
  void setVariableCounts(int loaded, int calculated);
  int loadedVariableCount() const { return loadedVariables_; }
  int calculatedVariableCount() const { return calculatedVariables_; }

  int count() const { return static_cast<int>(composites.size()); }

  // minCorner and maxCorner; for an empty set the recompute start values
  // (+-1e37), so that widening by them changes nothing.
  DataExtents extents() const;
  // Recomputes minCorner and maxCorner over all positions from +-1e37.
  void recomputeBoundingBox();

  // count; singleFlag; useOutside; four times name, position, width, decimals;
  // importRotation, exportRotation; count composites: name, reserved,
  // envelopeIndex, x, y, z, one double per loaded variable.
  // A load replaces the composites, gives each loaded variable's value from
  // the file and zeros for the calculated values, and recomputes the box.
  void serialize(Archive& ar) { serialize(ar, loadedVariables_, calculatedVariables_); }
  void serialize(Archive& ar, int loadedCount, int calculatedCount);

  friend bool operator==(const CompositeSet&, const CompositeSet&) = default;

 private:
  int loadedVariables_ = 0;
  int calculatedVariables_ = 0;
};

}  // namespace qx
