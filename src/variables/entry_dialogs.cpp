#include "variables/entry_dialogs.h"

#include <optional>

#include "port/ui_port.h"
#include "variables/formula_dialog.h"
#include "variables/variable_rules.h"

namespace qx {

bool NamedEntryDialog::onOk(UiPort& port) {
  if (auto refusal = validateVariableName(fieldName, originalName_, allNames_)) {
    port.message(*refusal, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  fieldName = trimName(fieldName);
  return true;
}

namespace {
void writeFormula(const FormulaEntry& f, VariableInfoCalc& v) {
  v.formulaCode = f.formulaCode;
  v.formulaText = f.formulaText;
  v.compiled = f.compiled;
}
FormulaEntry readFormula(const VariableInfoCalc& v) { return {v.formulaCode, v.formulaText, v.compiled}; }
}  // namespace

CAddFieldEntry CAddFieldEntry::forLoaded(const VariableInfo& v, std::vector<std::string> allNames) {
  CAddFieldEntry e(std::move(allNames), v.name);
  e.defaultValue = v.defaultValue;
  e.missingValue = v.missingValue;
  e.weightingType = v.weightingType;
  e.calculateFieldValue = false;
  return e;
}

CAddFieldEntry CAddFieldEntry::forCalculated(const VariableInfoCalc& v, std::vector<std::string> allNames) {
  CAddFieldEntry e(std::move(allNames), v.name);
  e.defaultValue = v.defaultValue;
  e.missingValue = v.missingValue;
  e.weightingType = v.weightingType;
  e.calculateFieldValue = true;
  e.formula = readFormula(v);
  return e;
}

FormulaScope makeFormulaScope(const std::vector<VariableInfo>& loaded, const std::vector<VariableInfoCalc>& calculated,
                              int ownNumber) {
  FormulaScope scope;
  scope.ownNumber = ownNumber;
  const int nLoaded = static_cast<int>(loaded.size());
  for (std::size_t i = 0; i < calculated.size(); ++i)
    if (calculated[i].compiled.status != 0) scope.failed.push_back(nLoaded + static_cast<int>(i));
  return scope;
}

namespace {
// Runs the formula dialog over `current`; the accepted formula, or nullopt on Cancel.
std::optional<FormulaEntry> runFormulaDialog(UiPort& port, const std::vector<std::string>& names,
                                             const FormulaEntry& current, const FormulaScope& scope) {
  CFormulaDialog dialog(names, current, scope);
  if (!port.runDialog(dialog)) return std::nullopt;
  return dialog.accepted();
}
}  // namespace

bool CAddFieldEntry::enterFormula(UiPort& port) {
  if (!enterFormulaEnabled()) return false;
  auto accepted = runFormulaDialog(port, allNames(), formula, formulaScope);
  if (!accepted) return false;
  takeFormula(std::move(*accepted));
  return true;
}

bool CVariableCalculatedDialog::enterFormula(UiPort& port) {
  if (!enterFormulaEnabled()) return false;
  auto accepted = runFormulaDialog(port, allNames(), formula, formulaScope);
  if (!accepted) return false;
  takeFormula(std::move(*accepted));
  return true;
}

void CAddFieldEntry::takeFormula(FormulaEntry accepted) {
  formula = std::move(accepted);
  calculateFieldValue = true;
}

VariableInfo CAddFieldEntry::toLoaded(VariableInfo base) const {
  base.name = fieldName;
  base.defaultValue = defaultValue;
  base.missingValue = missingValue;
  base.weightingType = weightingType;
  return base;
}

VariableInfoCalc CAddFieldEntry::toCalculated(VariableInfoCalc base) const {
  base.name = fieldName;
  base.defaultValue = defaultValue;
  writeFormula(formula, base);
  return base;
}

CVariableLoadedDialog CVariableLoadedDialog::forVariable(const VariableInfo& v, std::vector<std::string> allNames) {
  CVariableLoadedDialog d(std::move(allNames), v.name);
  d.defaultValue = v.defaultValue;
  d.missingValue = v.missingValue;
  d.weightingType = v.weightingType;
  return d;
}

VariableInfo CVariableLoadedDialog::apply(VariableInfo base) const {
  base.name = fieldName;
  base.defaultValue = defaultValue;
  base.missingValue = missingValue;
  base.weightingType = weightingType;
  return base;
}

CVariableCalculatedDialog CVariableCalculatedDialog::forVariable(const VariableInfoCalc& v,
                                                                 std::vector<std::string> allNames) {
  CVariableCalculatedDialog d(std::move(allNames), v.name);
  d.formula = readFormula(v);
  return d;
}

VariableInfoCalc CVariableCalculatedDialog::apply(VariableInfoCalc base) const {
  base.name = fieldName;
  writeFormula(formula, base);
  return base;
}

}  // namespace qx
