// The widgets bound to the dialog models: controls show the model's values,
// write them back, and take their enabling from the model.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "project/model_parameters_page.h"
#include "qt_environment.h"
#include "scripted_port.h"
#include "ui/add_field_widget.h"
#include "ui/data_fields_widget.h"
#include "ui/model_parameters_widget.h"
#include "variables/entry_dialogs.h"
#include "variables/field_name_entry.h"

namespace qx {
namespace {

class ModelParametersWidgetTest : public ::testing::Test {
 protected:
  ModelParametersWidgetTest() {
    test::qtApp();
    page.setVariableNames({"Au", "Cu", "SG"});
  }
  CSpecGravPage page;
};

TEST_F(ModelParametersWidgetTest, ControlsShowTheModelAndItsEnabling) {
  page.useVariableSG = false;
  page.recoveryMode = kRecoveryNone;
  page.useFixedThickness = true;
  page.sgVariable = 2;
  page.thicknessVariable = 1;
  CSpecGravPageWidget w(page);
  w.loadFromModel();

  EXPECT_EQ(w.sgVariable()->count(), 3);
  EXPECT_EQ(w.sgVariable()->currentText(), QStringLiteral("SG"));
  EXPECT_EQ(w.thicknessVariable()->currentText(), QStringLiteral("Cu"));
  EXPECT_EQ(w.recoveryVariable()->itemText(0), QStringLiteral("Au"));
  EXPECT_TRUE(w.recoveryButton(kRecoveryNone)->isChecked());
  EXPECT_EQ(w.recoveryButton(kRecoveryFixed)->text(), QStringLiteral("Fixed Recovery (0.00 <-> 1.00)"));

  EXPECT_FALSE(w.sgVariable()->isEnabled());
  EXPECT_FALSE(w.fixedRecovery()->isEnabled());
  EXPECT_FALSE(w.recoveryVariable()->isEnabled());
  EXPECT_TRUE(w.fixedThickness()->isEnabled());
  EXPECT_FALSE(w.thicknessVariable()->isEnabled());
  EXPECT_FALSE(w.thicknessVariableLabel()->isEnabled());
  EXPECT_TRUE(w.wasteThickness()->isEnabled());
}

TEST_F(ModelParametersWidgetTest, SwitchesWriteTheModelAndApplyItsRules) {
  CSpecGravPageWidget w(page);
  w.loadFromModel();

  w.useVariableSG()->setChecked(true);
  EXPECT_TRUE(page.useVariableSG);
  EXPECT_TRUE(w.sgVariable()->isEnabled());
  w.useVariableSG()->setChecked(false);
  EXPECT_FALSE(w.sgVariable()->isEnabled());

  w.recoveryButton(kRecoveryFixed)->setChecked(true);
  EXPECT_EQ(page.recoveryMode, kRecoveryFixed);
  EXPECT_TRUE(w.fixedRecovery()->isEnabled());
  EXPECT_FALSE(w.recoveryVariable()->isEnabled());
  w.recoveryButton(kRecoveryVariable)->setChecked(true);
  EXPECT_EQ(page.recoveryMode, kRecoveryVariable);
  EXPECT_FALSE(w.fixedRecovery()->isEnabled());
  EXPECT_TRUE(w.recoveryVariable()->isEnabled());

  w.useFixedThickness()->setChecked(true);
  EXPECT_TRUE(w.fixedThickness()->isEnabled());
  EXPECT_FALSE(w.thicknessVariable()->isEnabled());
  w.useFixedThickness()->setChecked(false);
  EXPECT_FALSE(page.useFixedThickness);
  EXPECT_FALSE(w.fixedThickness()->isEnabled());
  EXPECT_TRUE(w.thicknessVariable()->isEnabled());
  EXPECT_TRUE(w.thicknessVariableLabel()->isEnabled());
}

TEST_F(ModelParametersWidgetTest, ProjectTypeGroupOnlyWhenAProjectIsCreated) {
  page.setupMode = true;
  CSpecGravPageWidget setup(page);
  setup.loadFromModel();
  EXPECT_FALSE(setup.projectTypeGroup()->isHidden());
  EXPECT_EQ(setup.projectTypeButton(kProject2D)->text(), QStringLiteral("2D Project (default)"));
  setup.projectTypeButton(kProject3D)->setChecked(true);
  ASSERT_TRUE(setup.storeToModel(nullptr));
  EXPECT_EQ(page.projectType, kProject3D);

  page.setupMode = false;
  page.projectType = kProject2D;
  CSpecGravPageWidget settings(page);
  settings.loadFromModel();
  EXPECT_TRUE(settings.projectTypeGroup()->isHidden());
  settings.projectTypeButton(kProject3D)->setChecked(true);  // hidden: not stored
  ASSERT_TRUE(settings.storeToModel(nullptr));
  EXPECT_EQ(page.projectType, kProject2D);
}

TEST_F(ModelParametersWidgetTest, NumbersUseTheCLocaleWhateverTheDesktopLanguage) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  page.defaultSG = 2.65;
  page.fixedRecovery = 0.25;
  page.fixedThickness = 1e37;
  CSpecGravPageWidget w(page);
  w.loadFromModel();
  EXPECT_EQ(w.defaultSG()->text(), QStringLiteral("2.65"));
  EXPECT_EQ(w.fixedRecovery()->text(), QStringLiteral("0.25"));
  EXPECT_EQ(w.fixedThickness()->text(), QStringLiteral("1e+37"));
  EXPECT_EQ(w.defaultWasteSG()->text(), QStringLiteral("2"));

  w.defaultWasteSG()->setText(QStringLiteral(" 3.5 "));
  w.wasteThickness()->setText(QStringLiteral("12.5"));
  ASSERT_TRUE(w.storeToModel(nullptr));
  EXPECT_DOUBLE_EQ(page.defaultWasteSG, 3.5);
  EXPECT_DOUBLE_EQ(page.wasteThickness, 12.5);
  QLocale::setDefault(saved);
}

TEST_F(ModelParametersWidgetTest, AFieldWithoutANumberIsRefusedAndKeepsTheModel) {
  CSpecGravPageWidget w(page);
  w.loadFromModel();
  w.defaultSG()->setText(QStringLiteral("2,5"));
  test::ScriptedPort port;
  EXPECT_FALSE(w.storeToModel(&port));
  ASSERT_EQ(port.messages().size(), 1u);
  EXPECT_EQ(port.messages().front(), "Please enter a number.");
  EXPECT_DOUBLE_EQ(page.defaultSG, 2.0);
  // Without a port (leaving by Back) the other fields are still kept.
  w.wasteThickness()->setText(QStringLiteral("7"));
  EXPECT_TRUE(w.storeToModel(nullptr));
  EXPECT_DOUBLE_EQ(page.wasteThickness, 7.0);
  EXPECT_DOUBLE_EQ(page.defaultSG, 2.0);
}

TEST_F(ModelParametersWidgetTest, EmptyListsLeaveTheVariableIndexes) {
  page.setVariableNames({});
  page.sgVariable = 4;
  CSpecGravPageWidget w(page);
  w.loadFromModel();
  EXPECT_EQ(w.sgVariable()->count(), 0);
  ASSERT_TRUE(w.storeToModel(nullptr));
  EXPECT_EQ(page.sgVariable, 4);

  page.setVariableNames({"Au", "Cu"});
  page.sgVariable = 0;
  w.loadFromModel();
  w.sgVariable()->setCurrentIndex(1);
  ASSERT_TRUE(w.storeToModel(nullptr));
  EXPECT_EQ(page.sgVariable, 1);
}

TEST(AddFieldWidget, CalculateSwitchTradesDefaultAndWeightingForTheFormula) {
  test::qtApp();
  CAddFieldEntry entry({"Au"});
  CAddFieldEntryWidget w(entry);
  w.loadFromModel();
  EXPECT_TRUE(w.defaultValue()->isEnabled());
  EXPECT_TRUE(w.weightingType()->isEnabled());
  EXPECT_FALSE(w.formulaBox()->isEnabled());
  EXPECT_FALSE(w.enterFormula()->isEnabled());
  EXPECT_EQ(w.weightingType()->count(), 3);
  EXPECT_EQ(w.weightingType()->itemText(2), QStringLiteral("Surface"));
  EXPECT_EQ(w.fieldName()->maxLength(), 32);

  w.calculateFieldValue()->setChecked(true);
  EXPECT_TRUE(entry.calculateFieldValue);
  EXPECT_FALSE(w.defaultValue()->isEnabled());
  EXPECT_FALSE(w.weightingType()->isEnabled());
  EXPECT_TRUE(w.missingValue()->isEnabled());
  EXPECT_TRUE(w.formulaBox()->isEnabled());
  EXPECT_EQ(w.enterFormula()->isEnabled(), entry.enterFormulaEnabled());
}

TEST(AddFieldWidget, StoresTheControlsIntoTheEntry) {
  test::qtApp();
  VariableInfo v("Cu");
  v.defaultValue = 0.5;
  v.missingValue = -99;
  v.weightingType = kWeightVolume;
  CAddFieldEntry entry = CAddFieldEntry::forLoaded(v, {"Cu"});
  CAddFieldEntryWidget w(entry);
  w.loadFromModel();
  EXPECT_EQ(w.fieldName()->text(), QStringLiteral("Cu"));
  EXPECT_EQ(w.defaultValue()->text(), QStringLiteral("0.5"));
  EXPECT_EQ(w.missingValue()->text(), QStringLiteral("-99"));
  EXPECT_EQ(w.weightingType()->currentIndex(), kWeightVolume);

  w.fieldName()->setText(QStringLiteral("Zn"));
  w.missingValue()->setText(QStringLiteral("-1.25"));
  w.weightingType()->setCurrentIndex(kWeightSurface);
  ASSERT_TRUE(w.storeToModel(nullptr));
  EXPECT_EQ(entry.fieldName, "Zn");
  EXPECT_DOUBLE_EQ(entry.missingValue, -1.25);
  EXPECT_EQ(entry.weightingType, kWeightSurface);
}

class DataFieldsWidgetTest : public ::testing::Test {
 protected:
  DataFieldsWidgetTest() {
    test::qtApp();
    VariableInfo au("Au");
    au.defaultValue = 1.5;
    model.addLoaded(au);
    model.addLoaded(VariableInfo("Cu"));
  }
  CFieldNameEntry model;
  test::ScriptedPort port;
};

TEST_F(DataFieldsWidgetTest, ListHasTheColumnsAndTheModelsLines) {
  CFieldNameEntryWidget w(model, port);
  w.loadFromModel();
  QTreeWidget* list = w.list();
  const QStringList titles = {"Variable Name", "Default Value", "Missing Indicator", "Weighting Type", "Formula"};
  const int widths[] = {90, 80, 100, 90, 170};
  ASSERT_EQ(list->columnCount(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(list->headerItem()->text(i), titles[i]);
    EXPECT_EQ(list->columnWidth(i), widths[i]);
  }
  const auto lines = model.lines();
  ASSERT_EQ(list->topLevelItemCount(), 2);
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 5; ++col) {
      EXPECT_EQ(list->topLevelItem(row)->text(col).toStdString(),
                lines[static_cast<size_t>(row)][static_cast<size_t>(col)]);
    }
  }
  EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("1.5000"));
  EXPECT_EQ(w.addButton()->text(), QStringLiteral("&Add"));
  EXPECT_EQ(w.editButton()->text(), QStringLiteral("&Edit"));
  EXPECT_EQ(w.removeButton()->text(), QStringLiteral("&Remove"));
}

TEST_F(DataFieldsWidgetTest, SelectionAndButtonsDriveTheModel) {
  CFieldNameEntryWidget w(model, port);
  w.loadFromModel();
  EXPECT_EQ(model.selected(), -1);
  w.list()->setCurrentItem(w.list()->topLevelItem(1));
  EXPECT_EQ(model.selected(), 1);

  w.removeButton()->click();
  ASSERT_EQ(model.loaded().size(), 1u);
  EXPECT_EQ(model.loaded().front().name, "Au");
  EXPECT_EQ(w.list()->topLevelItemCount(), 1);

  port.answerDialog([](DialogModel& dialog) {
    auto& entry = dynamic_cast<CAddFieldEntry&>(dialog);
    entry.fieldName = "Ag";
    entry.defaultValue = 2.0;
    return true;
  });
  w.addButton()->click();
  EXPECT_EQ(port.log().front(), "dialog add_field_entry: Add/Edit Field");
  ASSERT_EQ(w.list()->topLevelItemCount(), 2);
  EXPECT_EQ(w.list()->topLevelItem(1)->text(0), QStringLiteral("Ag"));
  EXPECT_EQ(w.list()->topLevelItem(1)->text(1), QStringLiteral("2.0000"));
  EXPECT_TRUE(port.allAnswersUsed());
}

}  // namespace
}  // namespace qx
