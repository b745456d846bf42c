#pragma once
// The two pages of "Calculation Settings" that edit the settings alone:
// "General" (the default polygon of influence and two switches) and
// "Variables" (the cutoffs, default and missing value of each loaded
// variable). Each page holds its own values, taken from the sheet's working
// copy of the settings; the sheet's OK writes them back (applyTo).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "port/dialog_model.h"
#include "project/quarlex_settings.h"
#include "variables/entry_dialogs.h"  // ListColumn

namespace qx {

class CPropPageCalcGeneral : public PageModel {
 public:
  static constexpr std::string_view kKind = "calc_general";
  static constexpr std::string_view kPolygonGroup = "Default Polygon Settings";
  static constexpr std::string_view kSidesLabel = "Number of Sides per Polygon";
  static constexpr std::string_view kSizeLabel =
      "Maximum Size of Default Polygons (Distance from Centre to Closet Point)";
  static constexpr std::string_view kAngleLabel = "Angle from Polygon Centre to 1st Vertex";
  static constexpr std::string_view kOtherGroup = "Other Settings";
  static constexpr std::string_view kDilutionLabel = "Use Dilution in Calculations";
  static constexpr std::string_view kOverwriteLabel = "Overwrite Existing Polygons";

  explicit CPropPageCalcGeneral(const QuarlexSettings& s);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "General"; }

  int sides = 50;                 // 3 to 100
  double polygonSize = 100.0;     // 0 to 1e37
  double firstVertexAngle = 0.0;  // -180 to 360
  bool useDilution = false;
  bool overwritePolygons = true;

  // The limits in the page's order; the first value outside them is refused
  // with the range message and the page stays.
  bool onOk(UiPort& port) override;
  void applyTo(QuarlexSettings& s) const;
};

class CPropPageCalcVariables : public PageModel {
 public:
  static constexpr std::string_view kKind = "calc_variables";

  struct Row {
    std::string name;
    double minCutoff = 0.0, maxCutoff = 0.0, defaultValue = 0.0, missingValue = 0.0;
  };

  // One row per loaded variable; the first one is chosen when there is one.
  explicit CPropPageCalcVariables(const QuarlexSettings& s);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Variables"; }

  // "Variable Name", "Minimum Cutoff", "Maximum Cutoff", "Default Value",
  // "Missing Value"; the numbers written "%.3lf".
  static std::vector<ListColumn> columns();
  std::vector<std::vector<std::string>> lines() const;
  const std::vector<Row>& rows() const { return rows_; }

  // The fields below the list: "Min Cutoff", "Max Cutoff", "Default", "Missing".
  double minCutoff = 0.0, maxCutoff = 0.0, defaultValue = 0.0, missingValue = 0.0;

  // The "Variable" choice, -1 when there is no loaded variable.
  int chosen() const { return chosen_; }
  // Choosing a variable, in the list or in the choice: the fields go into the
  // variable being edited, then show the chosen one's. An index outside the
  // list stores the fields and keeps the choice.
  void choose(int row);
  // "Update": the fields go into the variable being edited.
  void update();
  // Leaving the page keeps what was typed, as "Update" does.
  bool onKillActive(UiPort&) override {
    update();
    return true;
  }

  // Every loaded variable of `s` takes its row's four values.
  void applyTo(QuarlexSettings& s) const;

 private:
  void show(int row);
  std::vector<Row> rows_;
  int chosen_ = -1;
};

}  // namespace qx
