#include "project/model_parameters_page.h"

#include "project/field_range.h"

namespace qx {

void CSpecGravPage::onSetActive() {
  wizardButtons_ = kWizardBack | kWizardFinish;
  if (sgVariable < 0 && !variableNames_.empty()) sgVariable = 0;
}

bool CSpecGravPage::onOk(UiPort& port) {
  namespace lim = settings_limits;
  return checkRange(port, defaultSG, 0.0, lim::kMaxDefaultSG) &&
         checkRange(port, defaultWasteSG, 0.0, lim::kMaxDefaultWasteSG) &&
         checkRange(port, fixedRecovery, 0.0, lim::kMaxFixedRecovery) &&
         checkRange(port, fixedThickness, 0.0, lim::kMaxThickness) &&
         checkRange(port, wasteThickness, 0.0, lim::kMaxThickness);
}

void CSpecGravPage::loadForSetup(const QuarlexSettings& s, std::vector<std::string> names) {
  *this = CSpecGravPage();
  defaultSG = s.defaultSG;
  defaultWasteSG = s.defaultWasteSG;
  fixedRecovery = s.fixedRecovery;
  useFixedThickness = s.useFixedThickness != 0;
  fixedThickness = s.fixedThickness;
  wasteThickness = s.wasteThickness;
  setupMode = true;
  variableNames_ = std::move(names);
}

void CSpecGravPage::loadFromSettings(const QuarlexSettings& s) {
  *this = CSpecGravPage();
  defaultSG = s.defaultSG;
  useVariableSG = s.useVariableSG != 0;
  sgVariable = s.findSGVariable();
  defaultWasteSG = s.defaultWasteSG;
  recoveryMode = s.recoveryMode;
  fixedRecovery = s.fixedRecovery;
  recoveryVariable = s.findRecoveryVariable();
  useFixedThickness = s.useFixedThickness != 0;
  fixedThickness = s.fixedThickness;
  thicknessVariable = s.findThicknessVariable();
  wasteThickness = s.wasteThickness;
  projectType = s.projectType;
  setupMode = false;
  variableNames_ = s.variableNames();
}

void CSpecGravPage::applyToSettings(QuarlexSettings& s, bool withProjectType) const {
  if (withProjectType) s.projectType = projectType;
  s.useFixedThickness = useFixedThickness ? 1 : 0;
  s.fixedThickness = fixedThickness;
  s.wasteThickness = wasteThickness;
  s.setThicknessVariable(useFixedThickness ? -1 : thicknessVariable);
  s.fixedRecovery = fixedRecovery;
  s.setRecoveryMode(recoveryMode);  // mode 0 forces the fixed recovery to 1.0
  s.setRecoveryVariable(recoveryMode == kRecoveryVariable ? recoveryVariable : -1);
  s.useVariableSG = useVariableSG ? 1 : 0;
  s.setSGVariable(useVariableSG ? sgVariable : -1);
  s.defaultSG = defaultSG;
  s.defaultWasteSG = defaultWasteSG;
}

}  // namespace qx
