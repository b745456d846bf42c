#include "variables/variable_edit_dialog.h"

#include "port/ui_port.h"

namespace qx {

std::vector<ListColumn> CVariableEditDialog::columns() const {
  if (kind_ == VariableKind::Calculated) return {{"Variable", 90}, {"Formula", 300}};
  return {{"Variable", 90}, {"Default", 90}, {"Missing", 90}, {"Weighting Type", 90}};
}

int CVariableEditDialog::lineCount() const {
  return static_cast<int>(kind_ == VariableKind::Loaded ? loaded_.size() : calculated_.size());
}

int CVariableEditDialog::numberOfLine(int line) const {
  return kind_ == VariableKind::Loaded ? line : static_cast<int>(loaded_.size()) + line;
}

std::vector<CVariableEditDialog::ListLine> CVariableEditDialog::lines() const {
  std::vector<ListLine> out;
  if (kind_ == VariableKind::Calculated) {
    for (const auto& v : calculated_) out.push_back({v.name, v.formulaText});
  } else {
    for (const auto& v : loaded_) {
      out.push_back({v.name, formatFixed(v.defaultValue, 4), formatFixed(v.missingValue, 4),
                     std::string(weightingTypeName(v.weightingType))});
    }
  }
  return out;
}

bool CVariableEditDialog::add(UiPort& port) {
  const auto names = combinedNames(loaded_, calculated_);
  if (kind_ == VariableKind::Calculated) {
    CVariableCalculatedDialog d(names);
    d.formulaScope = makeFormulaScope(loaded_, calculated_, -1);
    if (!port.runDialog(d)) return false;
    calculated_.push_back(d.apply());
    return true;
  }
  CVariableLoadedDialog d(names);
  if (!port.runDialog(d)) return false;
  const int number = static_cast<int>(loaded_.size());
  renumberAfterInsertion(calculated_, number);
  for (int* n : {&designated_.sg, &designated_.thickness, &designated_.recovery})
    if (*n >= number) ++*n;
  loaded_.push_back(d.apply());
  return true;
}

bool CVariableEditDialog::edit(UiPort& port) {
  if (selected_ < 0 || selected_ >= lineCount()) return false;
  const auto names = combinedNames(loaded_, calculated_);
  if (kind_ == VariableKind::Calculated) {
    auto d = CVariableCalculatedDialog::forVariable(calculated_[selected_], names);
    d.formulaScope = makeFormulaScope(loaded_, calculated_, numberOfLine(selected_));
    if (!port.runDialog(d)) return false;
    calculated_[selected_] = d.apply(calculated_[selected_]);
  } else {
    auto d = CVariableLoadedDialog::forVariable(loaded_[selected_], names);
    if (!port.runDialog(d)) return false;
    loaded_[selected_] = d.apply(loaded_[selected_]);
  }
  rebuildFormulaTexts(calculated_, combinedNames(loaded_, calculated_), textBuilder_);
  return true;
}

bool CVariableEditDialog::remove(UiPort& port) {
  if (selected_ < 0 || selected_ >= lineCount()) return false;
  const int number = numberOfLine(selected_);
  if (auto refusal = checkVariableDeletion(number, calculated_, designated_)) {
    port.message(*refusal, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  if (kind_ == VariableKind::Loaded) {
    deletedNames_.push_back(loaded_[selected_].name);
    loaded_.erase(loaded_.begin() + selected_);
  } else {
    deletedNames_.push_back(calculated_[selected_].name);
    calculated_.erase(calculated_.begin() + selected_);
  }
  renumberAfterDeletion(calculated_, number);
  designated_ = designatedAfterDeletion(designated_, number);
  rebuildFormulaTexts(calculated_, combinedNames(loaded_, calculated_), textBuilder_);
  selected_ = -1;
  return true;
}

}  // namespace qx
