// The "Model Parameters" page: limits, enabling, setup mode and the copies
// to and from the settings.
#include <gtest/gtest.h>

#include <limits>

#include "project/field_range.h"
#include "project/model_parameters_page.h"
#include "scripted_port.h"

namespace qx {
namespace {

using test::ScriptedPort;

TEST(ModelParametersPage, EachValueIsHeldToItsLimits) {
  struct Case {
    double CSpecGravPage::*field;
    double bad;
    double good;
    const char* message;
  };
  const Case cases[] = {
      {&CSpecGravPage::defaultSG, -0.001, 1e11, "Please enter a value between 0 and 1e+11."},
      {&CSpecGravPage::defaultSG, 1.0000001e11, 0.0, "Please enter a value between 0 and 1e+11."},
      {&CSpecGravPage::defaultWasteSG, 1.5e10, 1e10, "Please enter a value between 0 and 1e+10."},
      {&CSpecGravPage::fixedRecovery, 1.01, 1.0, "Please enter a value between 0 and 1."},
      {&CSpecGravPage::fixedThickness, -1, 1e37, "Please enter a value between 0 and 1e+37."},
      {&CSpecGravPage::wasteThickness, 2e37, 0.0, "Please enter a value between 0 and 1e+37."},
      {&CSpecGravPage::wasteThickness, std::numeric_limits<double>::quiet_NaN(), 5.0,
       "Please enter a value between 0 and 1e+37."},
  };
  for (const auto& c : cases) {
    ScriptedPort port;
    CSpecGravPage p;
    p.*(c.field) = c.bad;
    EXPECT_FALSE(p.onKillActive(port)) << c.message;
    EXPECT_EQ(port.messages(), std::vector<std::string>{c.message});
    p.*(c.field) = c.good;
    EXPECT_TRUE(p.onKillActive(port)) << c.message;
    EXPECT_EQ(port.messages().size(), 1u);
  }
  // The fixed recovery is checked even when the mode does not use it; only
  // the first refusal is shown.
  ScriptedPort port;
  CSpecGravPage p;
  p.recoveryMode = 0;
  p.fixedRecovery = 2;
  p.wasteThickness = -1;
  EXPECT_FALSE(p.onOk(port));
  EXPECT_EQ(port.messages(), std::vector<std::string>{"Please enter a value between 0 and 1."});
  EXPECT_EQ(rangeMessage(-180, 360), "Please enter a value between -180 and 360.");
}

TEST(ModelParametersPage, EnablingRules) {
  CSpecGravPage p;
  EXPECT_EQ(CSpecGravPage::kRecoveryChoices[1], "Fixed Recovery (0.00 <-> 1.00)");
  EXPECT_FALSE(p.sgVariableEnabled());
  p.useVariableSG = true;
  EXPECT_TRUE(p.sgVariableEnabled());
  for (int mode = 0; mode < 3; ++mode) {
    p.recoveryMode = mode;
    EXPECT_EQ(p.fixedRecoveryEnabled(), mode == 1) << mode;
    EXPECT_EQ(p.recoveryVariableEnabled(), mode == 2) << mode;
  }
  for (bool fixed : {false, true}) {
    p.useFixedThickness = fixed;
    EXPECT_EQ(std::pair(p.fixedThicknessEnabled(), p.thicknessVariableEnabled()), std::pair(fixed, !fixed));
  }
  EXPECT_TRUE(p.projectTypeVisible());
  p.setupMode = false;
  EXPECT_FALSE(p.projectTypeVisible());
}

TEST(ModelParametersPage, ActivationFixesANegativeSGIndexOnlyWithVariables) {
  CSpecGravPage p;
  p.sgVariable = -1;
  p.thicknessVariable = -1;
  p.onSetActive();
  EXPECT_EQ(p.wizardButtons(), static_cast<unsigned>(kWizardBack | kWizardFinish));
  EXPECT_EQ(p.sgVariable, -1);
  p.setVariableNames({"Au", "X"});
  p.onSetActive();
  EXPECT_EQ(p.sgVariable, 0);
  EXPECT_EQ(p.thicknessVariable, -1);
  p.sgVariable = 1;
  p.onSetActive();
  EXPECT_EQ(p.sgVariable, 1);
}

TEST(ModelParametersPage, CopiesToAndFromTheSettings) {
  QuarlexSettings s;
  for (const char* n : {"Au", "SG", "Rec"}) s.loaded.emplace_back(n);
  s.calculated.emplace_back("Thk");
  s.defaultSG = 2.6;
  s.fixedRecovery = 0.8;
  s.useFixedThickness = 1;
  s.fixedThickness = 4;
  s.useVariableSG = 1;
  s.setSGVariable(1);
  s.projectType = 1;

  CSpecGravPage setup;
  setup.loadForSetup(s, {"A", "B"});
  EXPECT_EQ(std::tuple(setup.fixedRecovery, setup.useFixedThickness, setup.useVariableSG, setup.projectType),
            std::tuple(0.8, true, false, 0));  // variable SG starts off whatever the settings say
  EXPECT_EQ(setup.variableNames(), (std::vector<std::string>{"A", "B"}));

  CSpecGravPage sheet;
  sheet.loadFromSettings(s);
  // Recovery is not variable, thickness is fixed.
  EXPECT_EQ(std::tuple(sheet.useVariableSG, sheet.sgVariable, sheet.recoveryVariable, sheet.thicknessVariable),
            std::tuple(true, 1, -1, -1));
  EXPECT_EQ(sheet.variableNames(), (std::vector<std::string>{"Au", "SG", "Rec", "Thk"}));

  // Thickness from calculated Thk, recovery from Rec, SG switched off.
  sheet.useFixedThickness = false;
  sheet.thicknessVariable = 3;
  sheet.recoveryMode = 2;
  sheet.recoveryVariable = 2;
  sheet.useVariableSG = false;
  sheet.sgVariable = 1;
  sheet.projectType = 0;
  sheet.applyToSettings(s, false);
  // Only project setup sets the project type.
  EXPECT_EQ(std::tuple(s.projectType, s.findThicknessVariable(), s.findRecoveryVariable(), s.loaded[1].sgMark),
            std::tuple(1, 3, 2, 0));
  EXPECT_EQ(s.fixedRecovery, 0.8);

  sheet.recoveryMode = 0;
  sheet.useFixedThickness = true;
  sheet.applyToSettings(s, true);
  EXPECT_EQ(std::tuple(s.projectType, s.fixedRecovery, s.loaded[2].recoveryMark, s.calculated[0].thicknessMark),
            std::tuple(0, 1.0, 0, 0));
}

}  // namespace
}  // namespace qx
