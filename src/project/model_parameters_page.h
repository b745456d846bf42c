#pragma once
// "Model Parameters": how specific gravity, recovery and thickness are
// obtained and, when a project is created, whether it is 2D or 3D. The second
// page of the project-setup wizard and the only page of "Project Settings".
// The page edits its own values; the caller copies them from and to the
// settings (loadForSetup, loadFromSettings, applyToSettings).
#include <array>
#include <string>
#include <vector>

#include "port/dialog_model.h"
#include "project/quarlex_settings.h"
#include "variables/entry_dialogs.h"  // WizardButton

namespace qx {

class CSpecGravPage : public PageModel {
 public:
  static constexpr std::string_view kKind = "model_parameters";

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Model Parameters"; }

  // The values, with their defaults. Limits are checked by onOk.
  double defaultSG = 2.0;                     // "Default Specific Gravity", 0 to 1e11
  bool useVariableSG = false;                 // "Use Variable SG"
  int sgVariable = 0;                         // index in variableNames()
  double defaultWasteSG = 2.0;                // "Default Waste S.G.", 0 to 1e10
  std::int32_t recoveryMode = kRecoveryNone;  // the three radio buttons, 0 1 2
  double fixedRecovery = 0.0;                 // 0 to 1
  int recoveryVariable = 0;
  bool useFixedThickness = false;         // "Use Fixed Thickness"
  double fixedThickness = 10.0;           // 0 to 1e37
  int thicknessVariable = 0;              // "Thickness Variable"
  double wasteThickness = 10.0;           // "Thickness of Waste", 0 to 1e37
  std::int32_t projectType = kProject2D;  // "2D Project (default)", "3D Project"
  bool setupMode = true;                  // the page serves the project-setup wizard

  // The recovery choices and the project types, in the order of their codes.
  static constexpr std::array<std::string_view, 3> kRecoveryChoices = {
      "Do not use (100% Recovery)", "Fixed Recovery (0.00 <-> 1.00)", "Variable Recovery Proportion"};
  static constexpr std::array<std::string_view, 2> kProjectTypes = {"2D Project (default)", "3D Project"};

  // The names the three variable lists offer: in setup mode the variables of
  // the wizard's data-fields page, otherwise the project's (loaded, then calculated).
  void setVariableNames(std::vector<std::string> names) { variableNames_ = std::move(names); }
  const std::vector<std::string>& variableNames() const { return variableNames_; }

  // The page becomes active: Back and Finish; a negative SG index becomes 0
  // when there are variables to choose from.
  void onSetActive() override;
  unsigned wizardButtons() const { return wizardButtons_; }
  // Checks every number against its limits, in the page's order; the first
  // value out of range is refused with the range message and the page stays.
  bool onOk(UiPort& port) override;

  // Enabling rules.
  bool sgVariableEnabled() const { return useVariableSG; }
  bool fixedRecoveryEnabled() const { return recoveryMode == kRecoveryFixed; }
  bool recoveryVariableEnabled() const { return recoveryMode == kRecoveryVariable; }
  bool fixedThicknessEnabled() const { return useFixedThickness; }
  bool thicknessVariableEnabled() const { return !useFixedThickness; }  // the list and its label
  bool wasteThicknessEnabled() const { return true; }
  // The "Project Type" group is shown only when a project is created.
  bool projectTypeVisible() const { return setupMode; }

  // The start values of the project-setup wizard: the two specific gravities,
  // the fixed recovery, the fixed-thickness switch and the two thicknesses
  // from the settings; variable SG off, recovery not used, the variable
  // choices at their first entry, a 2D project; setup mode.
  void loadForSetup(const QuarlexSettings& s, std::vector<std::string> names);
  // "Project Settings": every value from the settings, the variable choices
  // from the designated variables (-1 where the settings use none); not setup mode.
  void loadFromSettings(const QuarlexSettings& s);
  // Copies the values into the settings: the thickness switch and the two
  // thicknesses, the thickness variable (marked only when thickness is not
  // fixed), the recovery mode, the recovery variable (marked only in mode 2),
  // the fixed recovery (1.0 in mode 0), variable SG and its variable (marked
  // only when on), the two specific gravities; the project type only when
  // `withProjectType` (project setup).
  void applyToSettings(QuarlexSettings& s, bool withProjectType) const;

 private:
  std::vector<std::string> variableNames_;
  unsigned wizardButtons_ = 0;
};

}  // namespace qx
