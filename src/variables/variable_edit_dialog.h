#pragma once
// "Edit Variables": the dialog of "Edit Defined &Variables..." and "Edit
// &Calculated Variables...", editing one kind of variable on an open project.
#include <string>
#include <vector>

#include "port/dialog_model.h"
#include "variables/entry_dialogs.h"
#include "variables/formula_compiler.h"
#include "variables/variable_info.h"
#include "variables/variable_rules.h"

namespace qx {

class CVariableEditDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "variable_edit";
  using ListLine = std::vector<std::string>;

  // Working copies of both lists (a deletion renumbers the formulas, an added
  // loaded variable moves the calculated ones up) and the designated variables
  // (combined numbers, -1 for none) as they are when the dialog opens. They
  // follow the renumbering while the dialog is open, so the protection stays
  // on the variable that carries the mark.
  CVariableEditDialog(VariableKind kind, std::vector<VariableInfo> loaded, std::vector<VariableInfoCalc> calculated,
                      DesignatedVariables designated)
      : kind_(kind), loaded_(std::move(loaded)), calculated_(std::move(calculated)), designated_(designated) {}

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Edit Variables"; }
  VariableKind variableKind() const { return kind_; }

  // "Variable" (90) then, for loaded variables, "Default", "Missing" and
  // "Weighting Type" (90 each); for calculated ones "Formula" (300).
  std::vector<ListColumn> columns() const;
  std::vector<ListLine> lines() const;
  int lineCount() const;

  void select(int line) { selected_ = (line >= 0 && line < lineCount()) ? line : -1; }
  int selected() const { return selected_; }

  // "&Add": "Defined Variable Properties" or "Calculated Variable Properties";
  // on OK the new variable is appended to the working list of this kind.
  bool add(UiPort& port);
  // "&Edit": the same dialog filled from the selected line; replaced in place,
  // then every formula text is rebuilt.
  bool edit(UiPort& port);
  // "&Remove": the deletion rules for the selected line.
  bool remove(UiPort& port);

  // What OK hands back.
  const std::vector<VariableInfo>& loaded() const { return loaded_; }
  const std::vector<VariableInfoCalc>& calculated() const { return calculated_; }
  const std::vector<std::string>& deletedNames() const { return deletedNames_; }
  DesignatedVariables designated() const { return designated_; }

  // Rebuilds formula texts after an edit or a deletion; formulaTextFromCode unless set otherwise.
  void setFormulaTextBuilder(FormulaTextBuilder builder) { textBuilder_ = std::move(builder); }

 private:
  int numberOfLine(int line) const;

  VariableKind kind_;
  std::vector<VariableInfo> loaded_;
  std::vector<VariableInfoCalc> calculated_;
  DesignatedVariables designated_;
  std::vector<std::string> deletedNames_;
  FormulaTextBuilder textBuilder_ = formulaTextFromCode;
  int selected_ = -1;
};

}  // namespace qx
