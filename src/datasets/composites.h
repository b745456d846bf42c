#pragma once
// Composites: the drill-hole samples of the project, named points that carry
// one value per loaded variable and one computed value per calculated
// variable, with the column description of composite files.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/types.h"
#include "io/archive.h"
#include "project/quarlex_settings.h"
#include "sections/rotation.h"

namespace qx {

class EnvelopeSet;
class UiPort;

// The envelope that contains a point, and the contour that does.
struct EnvelopeHit {
  int envelope = -1;  // -1 when no envelope contains the point
  int contour = -1;
  friend bool operator==(const EnvelopeHit&, const EnvelopeHit&) = default;
};

// The point-in-envelope search: the envelopes tried in list order, the first
// that contains the point wins. The envelopes provide it; the composites only
// call it, so they do not depend on how containment is decided.
using EnvelopeLocator = std::function<EnvelopeHit(const DPoint3D&)>;

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

  // ---- calculated values ----
  // The calculated values of one composite: each formula of the settings in
  // list order over the loaded values followed by the calculated ones so far,
  // with surface, volume and tonnage all 1.0. `scratch` is working storage
  // the caller may reuse between composites.
  static void computeCalculatedValues(CComposite& c, const QuarlexSettings& settings, std::vector<double>& scratch);
  void computeCalculatedValues(int i, const QuarlexSettings& settings);
  void computeAllCalculatedValues(const QuarlexSettings& settings);

  // ---- co-located composites ----
  // The message shown before co-located composites are deleted.
  static std::string coLocatedMessage(long count);
  // Sorts by x, largest first, with the shell sort whose tie order decides
  // the numbering: gaps 2^(k-1) - 1 and then halved, where 2^k is the smallest
  // power of two above the count; an insertion pass per gap.
  void sortByDescendingX();
  // After the sort: the composites with a later one within 0.01 in both x and
  // y (z not compared), ascending. Of each group only the last survives.
  std::vector<int> findCoLocated() const;
  // Sort, mark, tell the user (OK only) and delete. Returns how many went.
  int removeCoLocated(UiPort& port);

  // ---- membership and calculation ----
  // The envelope that contains composite i; its envelopeIndex is rewritten.
  EnvelopeHit findEnvelope(int i, const EnvelopeLocator& locate);
  // Whether composite i takes part in the calculation: every loaded variable
  // with distinct cutoffs holds it within them, and it lies in an envelope
  // whose use-composites flag is set, or outside every envelope with
  // useOutside set.
  bool takesPartInCalculation(int i, const QuarlexSettings& settings, const EnvelopeSet& envelopes,
                              const EnvelopeLocator& locate);

  // ---- variables added and removed ----
  // The calculated values are the caller's to recompute afterwards.
  void addLoadedVariable(double defaultValue);
  void addCalculatedVariable(double defaultValue);
  void removeLoadedVariable(int k);
  void removeCalculatedVariable(int k);
  void insertLoadedVariable(int k, double defaultValue);
  void insertCalculatedVariable(int k, double defaultValue);

  friend bool operator==(const CompositeSet&, const CompositeSet&) = default;

 private:
  int loadedVariables_ = 0;
  int calculatedVariables_ = 0;
};

// The composites as a sink of variable edits of one kind: the settings give
// combined numbers, the kind tells the loaded list from the calculated one
// (the first calculated number equals the number after the last loaded one).
class CompositeValueSink : public VariableValueSink {
 public:
  CompositeValueSink(CompositeSet& set, VariableKind kind) : set_(set), kind_(kind) {}
  void removeValue(int index) override;
  void insertValue(int index, double defaultValue) override;

 private:
  CompositeSet& set_;
  VariableKind kind_;
};

}  // namespace qx
