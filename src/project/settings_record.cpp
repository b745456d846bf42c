#include "project/settings_record.h"

#include "variables/variable_records.h"
#include "variables/variable_rules.h"

namespace qx {

namespace {

// A loaded value outside what the editing pages allow is refused: a mutated
// or foreign file must not turn into an influence polygon of two billion
// sides or a tonnage of infinity.
template <class T>
void requireRange(T v, T lo, T hi, const char* what) {
  if (v >= lo && v <= hi) return;
  throw ArchiveError(std::string(what) + " (" + formatGeneral(static_cast<double>(v)) + ") lies outside " +
                     formatGeneral(static_cast<double>(lo)) + " to " + formatGeneral(static_cast<double>(hi)) +
                     " in the project settings");
}

void checkLoadedSettings(const QuarlexSettings& s) {
  namespace L = settings_limits;
  requireRange(s.defaultSG, 0.0, L::kMaxDefaultSG, "the default specific gravity");
  requireRange(s.defaultWasteSG, 0.0, L::kMaxDefaultWasteSG, "the waste specific gravity");
  requireRange(s.sidesPerPolygon, L::kMinSides, L::kMaxSides, "the number of sides per polygon");
  requireRange(s.defaultPolygonSize, 0.0, L::kMaxPolygonSize, "the radius of influence");
  requireRange(s.firstVertexAngle, L::kMinFirstVertexAngle, L::kMaxFirstVertexAngle, "the first vertex angle");
  requireRange(s.fixedThickness, 0.0, L::kMaxThickness, "the fixed thickness");
  requireRange(s.wasteThickness, 0.0, L::kMaxThickness, "the waste thickness");
}

}  // namespace

void serializeSettings(Archive& ar, QuarlexSettings& s) {
  ar.setContext("the project settings");
  ar.io(s.defaultSG);
  ar.io(s.defaultWasteSG);
  ar.io(s.sidesPerPolygon);
  ar.io(s.defaultPolygonSize);
  ar.io(s.firstVertexAngle);
  ar.io(s.projectType);
  ar.io(s.useDilution);
  ar.io(s.overwriteExistingPolygons);
  ar.io(s.useVariableSG);
  ar.io(s.recoveryMode);
  ar.io(s.useFixedThickness);
  ar.io(s.fixedThickness);
  ar.io(s.wasteThickness);
  if (ar.isLoading()) checkLoadedSettings(s);

  std::int32_t nLoaded = s.loadedCount();
  std::int32_t nCalculated = s.calculatedCount();
  ar.io(nLoaded);
  ar.io(nCalculated);
  if (ar.isLoading()) {
    if (nLoaded < 0 || nCalculated < 0) throw ArchiveError("negative variable count in the project settings");
    ar.reader().requireElements(static_cast<std::uint64_t>(nLoaded) + static_cast<std::uint64_t>(nCalculated),
                                kMinVariableRecordBytes, "variables");
    ar.reader().requireElements(static_cast<std::uint64_t>(nCalculated), kMinCalculatedRecordBytes,
                                "calculated variables");
    s.loaded.assign(static_cast<std::size_t>(nLoaded), VariableInfo());
    s.calculated.assign(static_cast<std::size_t>(nCalculated), VariableInfoCalc());
  }
  for (VariableInfo& v : s.loaded) serializeVariable(ar, v);
  for (VariableInfoCalc& v : s.calculated) serializeCalculatedVariable(ar, v);
}

}  // namespace qx
