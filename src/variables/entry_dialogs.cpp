#include "variables/entry_dialogs.h"

#include "port/ui_port.h"
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
