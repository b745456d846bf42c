#include "app/project_setup.h"

namespace qx {

void SetupParametersPage::onSetActive() {
  setVariableNames(fields_.names());
  CSpecGravPage::onSetActive();
}

ProjectSetupSheet::ProjectSetupSheet(const QuarlexSettings& current)
    : SheetModel(kTitle, /*wizard=*/true), parameters_(fields_) {
  parameters_.loadForSetup(current, {});
  addPage(&fields_);
  addPage(&parameters_);
}

ProjectSetupValues ProjectSetupSheet::values() const {
  return ProjectSetupValues{fields_.loaded(), fields_.calculated(), parameters_};
}

}  // namespace qx
