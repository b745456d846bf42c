#include "project/settings_record.h"

#include "variables/variable_records.h"

namespace qx {

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
