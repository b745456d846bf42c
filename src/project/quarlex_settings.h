#pragma once
// The project's settings: the variable definitions, the model parameters that
// turn areas into volumes and tonnages, the default (influence) polygon, the
// data extents and a few run-time values.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/types.h"
#include "io/columns.h"
#include "variables/variable_info.h"

namespace qx {

// Limits of the fields as the editing pages enforce them.
namespace settings_limits {
inline constexpr double kMaxThickness = 1e37;
inline constexpr double kMaxDefaultSG = 1e11;
inline constexpr double kMaxDefaultWasteSG = 1e10;
inline constexpr double kMaxFixedRecovery = 1.0;
inline constexpr int kMinSides = 3;
inline constexpr int kMaxSides = 100;
inline constexpr double kMaxPolygonSize = 1e37;
inline constexpr double kMinFirstVertexAngle = -180.0;
inline constexpr double kMaxFirstVertexAngle = 360.0;
}  // namespace settings_limits

// Recovery modes.
enum RecoveryMode : std::int32_t { kRecoveryNone = 0, kRecoveryFixed = 1, kRecoveryVariable = 2 };
// Project types.
enum ProjectType : std::int32_t { kProject2D = 0, kProject3D = 1 };

// The smallest and largest corner of a dataset's data.
struct DataExtents {
  DPoint3D min;
  DPoint3D max;
};

// A dataset that holds one value per variable for each of its items
// (composites, figures, polygons). Applying an edited variable list tells it
// where values leave and enter, in combined numbering.
class VariableValueSink {
 public:
  virtual ~VariableValueSink() = default;
  // Removes value `index` from every item.
  virtual void removeValue(int index) = 0;
  // Inserts `defaultValue` at `index` in every item.
  virtual void insertValue(int index, double defaultValue) = 0;
  // False for a dataset that keeps its values when a variable is deleted and
  // realigns them itself later (the figures, which are recalculated).
  virtual bool realignsOnRemoval() const { return true; }
};

class QuarlexSettings {
 public:
  static constexpr std::int32_t kFileVersion = 1000;
  static constexpr double kNewExtent = 999999.0;
  // Recomputed extents start from the single-precision 1e37 widened to double.
  static constexpr double kRecomputeExtent = static_cast<double>(1e37f);

  QuarlexSettings() = default;
  QuarlexSettings(const QuarlexSettings&) = default;
  QuarlexSettings& operator=(const QuarlexSettings&) = default;
  virtual ~QuarlexSettings() = default;

  // Fields in order. The two variable counts are the sizes of the lists.
  std::vector<VariableInfo> loaded;
  std::vector<VariableInfoCalc> calculated;
  std::int32_t useFixedThickness = 0;  // 1: thickness is fixedThickness; 0: the designated variable
  double fixedThickness = 10.0;
  double wasteThickness = 10.0;
  std::int32_t useVariableSG = 0;  // 1: specific gravity from the designated variable
  double defaultSG = 2.0;
  double defaultWasteSG = 2.0;
  std::int32_t recoveryMode = kRecoveryNone;
  double fixedRecovery = 0.0;  // not stored: keeps its value in memory when a project is opened
  std::int32_t sidesPerPolygon = 50;
  double defaultPolygonSize = 100.0;
  double firstVertexAngle = 0.0;  // degrees
  // Run-time values from here on, except the file version and the three switches below it.
  std::vector<DPoint3D> defaultPolygon;
  std::int32_t fileVersion = kFileVersion;
  std::int32_t projectType = kProject2D;
  std::int32_t useDilution = 0;
  std::int32_t overwriteExistingPolygons = 1;
  DPoint3D extentsMin{kNewExtent, kNewExtent, kNewExtent};
  DPoint3D extentsMax{-kNewExtent, -kNewExtent, -kNewExtent};
  std::string lastSurfaceFile;
  std::string lastCompositeFile;
  std::string lastEnvelopeFile;
  std::string lastFigureFile;
  // Each import's last choice on its "File Format" page: fixed columns, or a
  // delimited file with its format and columns.
  DelimitedChoice compositeFormat, envelopeFormat, surfaceFormat, figureFormat;
  std::int32_t informationDialogShown = 0;
  DPoint3D defaultPolygonCentre;

  int loadedCount() const { return static_cast<int>(loaded.size()); }
  int calculatedCount() const { return static_cast<int>(calculated.size()); }
  int variableCount() const { return loadedCount() + calculatedCount(); }
  // Combined numbering: the loaded variables, then the calculated ones.
  std::vector<std::string> variableNames() const;
  // Variable n in combined numbering; callers keep 0 <= n < variableCount().
  const VariableInfo& variable(int n) const;
  VariableInfo& variable(int n);
  // The combined number of the variable of that name, -1 when there is none.
  int findVariable(std::string_view name) const;

  // New project: every field back to its default except the thickness fields
  // (switch, fixed and waste thickness), the fixed recovery proportion, the
  // last file paths and file formats and the information-dialog switch.
  void reset();

  // The designated variables: -1 when the settings do not use one (variable
  // SG off; recovery mode not variable; fixed thickness on), else the
  // combined number of the first marked variable, or -1.
  int findSGVariable() const;
  int findRecoveryVariable() const;
  int findThicknessVariable() const;
  // Clear the mark on every variable, then mark variable n when n >= 0.
  void setSGVariable(int n);
  void setRecoveryVariable(int n);
  void setThicknessVariable(int n);

  // Mode 0 also sets the fixed recovery proportion to 1.0.
  void setRecoveryMode(std::int32_t mode);

  // The template of the default polygons: n = sides, s = size, a = first
  // vertex angle; step 2pi/n, first angle (a - 90) pi/180 + step/2, radius
  // s / cos(step/2) so that the edges touch the circle of radius s; centred
  // at the origin. Fewer than 3 sides leave the template empty.
  void buildDefaultPolygon();
  // Shifts the template so that its centre stands at p.
  void moveDefaultPolygon(const DPoint3D& p);

  // Starts from (1e37f, ...) to (-1e37f, ...) and widens, coordinate by
  // coordinate, by each dataset's extents in the order given: composites,
  // envelopes, figures, polygons (surfaces do not take part).
  void recomputeDataExtents(std::span<const DataExtents> datasets);

  // Replaces both variable lists (the project-setup wizard).
  void replaceVariables(std::vector<VariableInfo> newLoaded, std::vector<VariableInfoCalc> newCalculated);

  // Applies the lists handed back by "Edit Variables" of the given kind.
  // `deletedNames` are names of variables of that kind, in the order deleted.
  // 1. Each deleted variable's value leaves every sink that realigns on
  //    removal, at its combined number, and the variable leaves the settings.
  // 2. The variables of that kind in the edited list beyond the surviving
  //    ones (the dialog only appends) are new: each gets a value, its default,
  //    at its combined number in every sink, and joins the settings.
  // 3. Both lists take the edited records (marks travel with the records,
  //    renamed variables keep their values, the formulas come renumbered).
  // Recomputing the calculated values, the notification and the modified
  // flag are the caller's.
  void applyEditedVariables(VariableKind kind, const std::vector<VariableInfo>& editedLoaded,
                            const std::vector<VariableInfoCalc>& editedCalculated,
                            const std::vector<std::string>& deletedNames, std::span<VariableValueSink* const> sinks);
};

// The four imports' "File Format" choices, in the order composites,
// envelopes, surfaces, figures: kept when a project is opened, and by the
// desktop between runs.
inline constexpr DelimitedChoice QuarlexSettings::*kFileFormatChoices[] = {
    &QuarlexSettings::compositeFormat, &QuarlexSettings::envelopeFormat, &QuarlexSettings::surfaceFormat,
    &QuarlexSettings::figureFormat};

}  // namespace qx
