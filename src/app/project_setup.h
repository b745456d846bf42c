#pragma once
// The "Project Setup" wizard: the data-fields page and the model-parameters
// page, and the rules that copy the model parameters into the settings.
#include <string>
#include <vector>

#include "port/dialog_model.h"
#include "project/model_parameters_page.h"
#include "project/quarlex_settings.h"
#include "variables/field_name_entry.h"
#include "variables/variable_info.h"

namespace qx {

// What the wizard hands over on Finish.
struct ProjectSetupValues {
  std::vector<VariableInfo> loaded;
  std::vector<VariableInfoCalc> calculated;
  CSpecGravPage parameters;
};

// In the wizard the model-parameters page lists the variables being defined
// on the data-fields page, read again each time the page becomes active.
class SetupParametersPage : public CSpecGravPage {
 public:
  explicit SetupParametersPage(const CFieldNameEntry& fields) : fields_(fields) {}
  void onSetActive() override;

 private:
  const CFieldNameEntry& fields_;
};

class ProjectSetupSheet : public SheetModel {
 public:
  static constexpr const char* kTitle = "Project Setup";
  explicit ProjectSetupSheet(const QuarlexSettings& current);
  ProjectSetupSheet(const ProjectSetupSheet&) = delete;
  ProjectSetupSheet& operator=(const ProjectSetupSheet&) = delete;

  CFieldNameEntry& fields() { return fields_; }
  CSpecGravPage& parameters() { return parameters_; }
  ProjectSetupValues values() const;

 private:
  CFieldNameEntry fields_;
  SetupParametersPage parameters_;
};

}  // namespace qx
