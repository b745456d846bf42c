#pragma once
// "Data Fields": the first page of the project-setup wizard, where the loaded
// and calculated variables of a new project are entered together.
#include <array>
#include <string>
#include <vector>

#include "port/dialog_model.h"
#include "variables/entry_dialogs.h"
#include "variables/formula_compiler.h"
#include "variables/variable_info.h"
#include "variables/variable_rules.h"

namespace qx {

class CFieldNameEntry : public PageModel {
 public:
  static constexpr std::string_view kKind = "field_name_entry";
  static constexpr int kColumnCount = 5;
  using ListLine = std::array<std::string, kColumnCount>;

  CFieldNameEntry() = default;
  CFieldNameEntry(std::vector<VariableInfo> loaded, std::vector<VariableInfoCalc> calculated)
      : loaded_(std::move(loaded)), calculated_(std::move(calculated)) {}

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Data Fields"; }
  // The wizard shows Next.
  void onSetActive() override { wizardButtons_ = kWizardNext; }
  // Leaving is refused while there is no loaded variable.
  bool onOk(UiPort& port) override;
  unsigned wizardButtons() const { return wizardButtons_; }

  // The working copies and the names of the variables removed, in order.
  const std::vector<VariableInfo>& loaded() const { return loaded_; }
  const std::vector<VariableInfoCalc>& calculated() const { return calculated_; }
  const std::vector<std::string>& deletedNames() const { return deletedNames_; }
  std::vector<std::string> names() const { return combinedNames(loaded_, calculated_); }
  int variableCount() const { return static_cast<int>(loaded_.size() + calculated_.size()); }

  // The list: "Variable Name", "Default Value", "Missing Indicator",
  // "Weighting Type", "Formula"; one line per variable, combined numbering.
  static const std::array<ListColumn, kColumnCount>& columns();
  std::vector<ListLine> lines() const;

  // The selected line, -1 for none.
  void select(int line) { selected_ = (line >= 0 && line < variableCount()) ? line : -1; }
  int selected() const { return selected_; }

  // "&Add": an empty "Add/Edit Field" dialog; on OK the entry is stored as a
  // loaded or a calculated variable. True when the list changed.
  bool add(UiPort& port);
  // "&Edit": the dialog filled from the selected line; nothing without a selection.
  // An entry whose "Calculate Field Value" switch changed changes kind: the old
  // variable goes under the deletion rules (and is refused as a deletion would
  // be), the new one is appended to its kind.
  bool edit(UiPort& port);
  // "&Remove": the deletion rules for the selected line; nothing without a selection.
  bool remove(UiPort& port);

  // For callers without a user (the command-line tool): the same rules, the
  // refusal text returned instead of shown, "" on success.
  std::string addLoaded(VariableInfo v);
  std::string addCalculated(VariableInfoCalc v);
  std::string removeVariable(int number);

  // The designated variables (combined numbers) that deletion protects; they
  // follow the renumbering. None by default: the wizard marks them later.
  void setDesignated(DesignatedVariables d) { designated_ = d; }
  DesignatedVariables designated() const { return designated_; }

  // Rebuilds formula texts after a rename or a deletion (see FormulaTextBuilder);
  // formulaTextFromCode unless set otherwise.
  void setFormulaTextBuilder(FormulaTextBuilder builder) { textBuilder_ = std::move(builder); }

 private:
  void appendLoaded(VariableInfo v);
  void eraseVariable(int number);
  std::string nameRefusal(const std::string& name) const;

  std::vector<VariableInfo> loaded_;
  std::vector<VariableInfoCalc> calculated_;
  std::vector<std::string> deletedNames_;
  DesignatedVariables designated_;
  FormulaTextBuilder textBuilder_ = formulaTextFromCode;
  int selected_ = -1;
  unsigned wizardButtons_ = kWizardNext;
};

}  // namespace qx
