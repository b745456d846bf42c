#pragma once
// The small dialogs that enter one variable: "Add/Edit Field" of the
// "Data Fields" page, and "Defined Variable Properties" and "Calculated
// Variable Properties" of the "Edit Variables" dialog.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "port/dialog_model.h"
#include "variables/variable_info.h"

namespace qx {

// The wizard buttons a page asks for when it becomes active.
enum WizardButton : unsigned { kWizardBack = 1u, kWizardNext = 2u, kWizardFinish = 4u };

// One column of a list control.
struct ListColumn {
  std::string_view title;
  int width = 0;
};

// The choices of the weighting-type control, in the order of the codes 0, 1, 2.
inline constexpr std::array<std::string_view, 3> kWeightingChoices = {"Tonnage", "Volume", "Surface"};

// "Enter Formula" opens the formula dialog (CFormulaDialog, formula_dialog.h).
inline constexpr bool kFormulaDialogAvailable = true;

// A dialog with a "Field Name" that obeys the name rules on OK.
class NamedEntryDialog : public DialogModel {
 public:
  // `allNames`: every variable's name, combined numbering; `originalName`: the
  // entry's name before editing, "" for a new entry.
  NamedEntryDialog(std::vector<std::string> allNames, std::string originalName)
      : allNames_(std::move(allNames)), originalName_(std::move(originalName)), fieldName(originalName_) {}

  // Applies the name rules; a refusal is shown and keeps the dialog open.
  // Accepted, the field name is left trimmed.
  bool onOk(UiPort& port) override;

  const std::vector<std::string>& allNames() const { return allNames_; }
  const std::string& originalName() const { return originalName_; }

 private:
  std::vector<std::string> allNames_;
  std::string originalName_;

 public:
  std::string fieldName;  // "Field Name", at most 32 characters
};

// The formula part shared by the entries of calculated variables.
struct FormulaEntry {
  std::string formulaCode{VariableInfoCalc::kDefaultCode};
  std::string formulaText{VariableInfoCalc::kDefaultText};  // what the formula box shows
  CompiledFormula compiled;
};

// What the formula of one calculated variable may refer to, besides the
// variable names. Calculated variables are evaluated in their order, each
// seeing the results of those before it, so a formula may use only variables
// numbered below its own; and a variable whose own formula failed to compile
// has no value worth using.
struct FormulaScope {
  // The combined number the edited variable has; -1 for a new variable, which
  // is appended behind every name.
  int ownNumber = -1;
  // Combined numbers of the calculated variables whose compile status is -1.
  std::vector<int> failed;
};

// The scope of calculated variable `ownNumber` (-1 for a new one) among these lists.
FormulaScope makeFormulaScope(const std::vector<VariableInfo>& loaded, const std::vector<VariableInfoCalc>& calculated,
                              int ownNumber);

// "Add/Edit Field": one entry of the "Data Fields" page, loaded or calculated.
class CAddFieldEntry : public NamedEntryDialog {
 public:
  static constexpr std::string_view kKind = "add_field_entry";

  explicit CAddFieldEntry(std::vector<std::string> allNames, std::string originalName = {})
      : NamedEntryDialog(std::move(allNames), std::move(originalName)) {}
  // Filled from an existing variable for "&Edit".
  static CAddFieldEntry forLoaded(const VariableInfo& v, std::vector<std::string> allNames);
  static CAddFieldEntry forCalculated(const VariableInfoCalc& v, std::vector<std::string> allNames);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Add/Edit Field"; }

  double defaultValue = 0.0;                    // "Default Value"
  double missingValue = 0.0;                    // "Missing Value"
  std::int32_t weightingType = kWeightTonnage;  // "Weighting Type"
  bool calculateFieldValue = false;             // "Calculate Field Value"
  FormulaEntry formula;

  // Enabling: the switch off enables the default value and the weighting
  // type, on enables the formula box and "Enter Formula" (while the formula
  // dialog is available). The missing value is always enabled.
  bool defaultValueEnabled() const { return !calculateFieldValue; }
  bool weightingTypeEnabled() const { return !calculateFieldValue; }
  bool missingValueEnabled() const { return true; }
  bool formulaBoxEnabled() const { return calculateFieldValue; }
  bool enterFormulaEnabled() const { return calculateFieldValue && kFormulaDialogAvailable; }

  // What the formula may refer to; the "Data Fields" page sets it.
  FormulaScope formulaScope;
  // "Enter Formula": the formula dialog with all names and the current
  // formula; on OK its formula is taken over. Nothing while the button is disabled.
  bool enterFormula(UiPort& port);
  // Takes over a formula accepted in the formula dialog and turns the switch on.
  void takeFormula(FormulaEntry accepted);

  // The entry as a loaded variable: name, default value, missing value and
  // weighting type written over `base` (the edited record keeps its other fields).
  VariableInfo toLoaded(VariableInfo base = {}) const;
  // The entry as a calculated variable: name, default value and formula
  // written over `base`; its missing value and weighting type keep the
  // record's values, since only the name and the default are a calculated
  // variable's own.
  VariableInfoCalc toCalculated(VariableInfoCalc base = {}) const;
};

// "Defined Variable Properties": a loaded variable of the "Edit Variables" dialog.
class CVariableLoadedDialog : public NamedEntryDialog {
 public:
  static constexpr std::string_view kKind = "variable_loaded";

  explicit CVariableLoadedDialog(std::vector<std::string> allNames, std::string originalName = {})
      : NamedEntryDialog(std::move(allNames), std::move(originalName)) {}
  static CVariableLoadedDialog forVariable(const VariableInfo& v, std::vector<std::string> allNames);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Defined Variable Properties"; }

  double defaultValue = 0.0;
  double missingValue = 0.0;
  std::int32_t weightingType = kWeightTonnage;

  VariableInfo apply(VariableInfo base = {}) const;
};

// "Calculated Variable Properties": a calculated variable of the "Edit Variables" dialog.
class CVariableCalculatedDialog : public NamedEntryDialog {
 public:
  static constexpr std::string_view kKind = "variable_calculated";

  explicit CVariableCalculatedDialog(std::vector<std::string> allNames, std::string originalName = {})
      : NamedEntryDialog(std::move(allNames), std::move(originalName)) {}
  static CVariableCalculatedDialog forVariable(const VariableInfoCalc& v, std::vector<std::string> allNames);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Calculated Variable Properties"; }

  FormulaEntry formula;
  FormulaScope formulaScope;  // what the formula may refer to; the "Edit Variables" dialog sets it
  bool enterFormulaEnabled() const { return kFormulaDialogAvailable; }
  // "Enter Formula": as in "Add/Edit Field".
  bool enterFormula(UiPort& port);
  void takeFormula(FormulaEntry accepted) { formula = std::move(accepted); }

  VariableInfoCalc apply(VariableInfoCalc base = {}) const;
};

}  // namespace qx
