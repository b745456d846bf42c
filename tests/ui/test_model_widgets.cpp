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
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QWizard>

#include "datasets/composite_envelope_page.h"
#include "datasets/envelope_dialogs.h"
#include "datasets/envelope_export.h"
#include "datasets/envelopes.h"
#include "datasets/surface_import.h"
#include "datasets/surfaces.h"
#include "engine/figures.h"
#include "engine/result_export.h"
#include "io/column_pages.h"
#include "project/model_parameters_page.h"
#include "qt_environment.h"
#include "scripted_port.h"
#include "sections/rotation_dialog.h"
#include "ui/add_field_widget.h"
#include "ui/column_format_widget.h"
#include "ui/data_fields_widget.h"
#include "ui/formula_widget.h"
#include "ui/model_parameters_widget.h"
#include "ui/properties_widgets.h"
#include "ui/qt_ui_port.h"
#include "ui/selection_pages_widgets.h"
#include "ui/sheet_dialogs.h"
#include "variables/entry_dialogs.h"
#include "variables/field_name_entry.h"
#include "variables/formula_dialog.h"
#include "variables/variable_rules.h"

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

// Each control's enabling is the model's, in every state its switches make.
TEST_F(ModelParametersWidgetTest, ControlsShowTheModelAndTakeItsEnabling) {
  page.recoveryMode = kRecoveryNone;
  page.useFixedThickness = true;
  page.sgVariable = 2;
  page.thicknessVariable = 1;
  CSpecGravPageWidget w(page);
  w.loadFromModel();
  EXPECT_EQ(w.sgVariable()->currentText(), QStringLiteral("SG"));
  EXPECT_EQ(w.thicknessVariable()->currentText(), QStringLiteral("Cu"));
  EXPECT_EQ(w.recoveryVariable()->count(), 3);
  EXPECT_TRUE(w.recoveryButton(kRecoveryNone)->isChecked());

  const std::pair<QWidget*, bool (CSpecGravPage::*)() const> enabling[] = {
      {w.sgVariable(), &CSpecGravPage::sgVariableEnabled},
      {w.fixedRecovery(), &CSpecGravPage::fixedRecoveryEnabled},
      {w.recoveryVariable(), &CSpecGravPage::recoveryVariableEnabled},
      {w.fixedThickness(), &CSpecGravPage::fixedThicknessEnabled},
      {w.thicknessVariable(), &CSpecGravPage::thicknessVariableEnabled},
      {w.thicknessVariableLabel(), &CSpecGravPage::thicknessVariableEnabled},
      {w.wasteThickness(), &CSpecGravPage::wasteThicknessEnabled},
  };
  auto expectEnabling = [&](const char* state) {
    for (size_t i = 0; i < std::size(enabling); ++i)
      EXPECT_EQ(enabling[i].first->isEnabled(), (page.*enabling[i].second)()) << state << ", control " << i;
  };
  expectEnabling("as loaded");
  // The switches write the model at once.
  w.useVariableSG()->setChecked(true);
  EXPECT_TRUE(page.useVariableSG);
  w.recoveryButton(kRecoveryFixed)->setChecked(true);
  EXPECT_EQ(page.recoveryMode, kRecoveryFixed);
  w.useFixedThickness()->setChecked(false);
  EXPECT_FALSE(page.useFixedThickness);
  expectEnabling("switched");
  w.recoveryButton(kRecoveryVariable)->setChecked(true);
  EXPECT_EQ(page.recoveryMode, kRecoveryVariable);
  w.useVariableSG()->setChecked(false);
  expectEnabling("switched back");
}

TEST_F(ModelParametersWidgetTest, ProjectTypeGroupOnlyWhenAProjectIsCreated) {
  for (bool setupMode : {true, false}) {
    page.setupMode = setupMode;
    page.projectType = kProject2D;
    CSpecGravPageWidget w(page);
    w.loadFromModel();
    EXPECT_EQ(w.projectTypeGroup()->isHidden(), !page.projectTypeVisible());
    w.projectTypeButton(kProject3D)->setChecked(true);  // stored only while shown
    ASSERT_TRUE(w.storeToModel(nullptr));
    EXPECT_EQ(page.projectType, setupMode ? kProject3D : kProject2D);
  }
}

TEST_F(ModelParametersWidgetTest, NumbersUseTheCLocaleAndAFieldWithoutANumberKeepsTheModel) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  page.defaultSG = 2.65;
  page.fixedThickness = 1e37;
  CSpecGravPageWidget w(page);
  w.loadFromModel();
  EXPECT_EQ(w.defaultSG()->text(), QStringLiteral("2.65"));
  EXPECT_EQ(w.fixedThickness()->text(), QStringLiteral("1e+37"));
  w.defaultWasteSG()->setText(QStringLiteral(" 3.5 "));
  ASSERT_TRUE(w.storeToModel(nullptr));
  EXPECT_DOUBLE_EQ(page.defaultWasteSG, 3.5);

  w.defaultSG()->setText(QStringLiteral("2,5"));
  test::ScriptedPort port;
  EXPECT_FALSE(w.storeToModel(&port));
  EXPECT_EQ(port.messages(), std::vector<std::string>{"Please enter a number."});
  EXPECT_DOUBLE_EQ(page.defaultSG, 2.65);
  // Without a port (leaving by Back) the other fields are still kept.
  w.wasteThickness()->setText(QStringLiteral("7"));
  EXPECT_TRUE(w.storeToModel(nullptr));
  EXPECT_DOUBLE_EQ(page.wasteThickness, 7.0);
  EXPECT_DOUBLE_EQ(page.defaultSG, 2.65);
  QLocale::setDefault(saved);
}

TEST_F(ModelParametersWidgetTest, EmptyListsLeaveTheVariableIndexes) {
  page.setVariableNames({});
  page.sgVariable = 4;
  CSpecGravPageWidget w(page);
  w.loadFromModel();
  ASSERT_TRUE(w.storeToModel(nullptr));
  EXPECT_EQ(page.sgVariable, 4);
  page.setVariableNames({"Au", "Cu"});
  w.loadFromModel();
  w.sgVariable()->setCurrentIndex(1);
  ASSERT_TRUE(w.storeToModel(nullptr));
  EXPECT_EQ(page.sgVariable, 1);
}

TEST(AddFieldWidget, CalculateSwitchWritesTheEntryAndTheEnablingIsTheEntrys) {
  test::qtApp();
  CAddFieldEntry entry({"Au"});
  test::ScriptedPort port;
  CAddFieldEntryWidget w(entry, port);
  w.loadFromModel();
  EXPECT_EQ(w.fieldName()->maxLength(), kMaxVariableNameLength);
  const std::pair<QWidget*, bool (CAddFieldEntry::*)() const> enabling[] = {
      {w.defaultValue(), &CAddFieldEntry::defaultValueEnabled},
      {w.weightingType(), &CAddFieldEntry::weightingTypeEnabled},
      {w.missingValue(), &CAddFieldEntry::missingValueEnabled},
      {w.formulaBox(), &CAddFieldEntry::formulaBoxEnabled},
      {w.enterFormula(), &CAddFieldEntry::enterFormulaEnabled},
  };
  for (bool calculate : {false, true, false}) {
    w.calculateFieldValue()->setChecked(calculate);
    EXPECT_EQ(entry.calculateFieldValue, calculate);
    for (size_t i = 0; i < std::size(enabling); ++i)
      EXPECT_EQ(enabling[i].first->isEnabled(), (entry.*enabling[i].second)()) << calculate << ", control " << i;
  }
}

TEST(AddFieldWidget, StoresTheControlsIntoTheEntry) {
  test::qtApp();
  VariableInfo v("Cu");
  v.defaultValue = 0.5;
  v.missingValue = -99;
  v.weightingType = kWeightVolume;
  CAddFieldEntry entry = CAddFieldEntry::forLoaded(v, {"Cu"});
  test::ScriptedPort port;
  CAddFieldEntryWidget w(entry, port);
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

// The list shows the model's columns and lines, after every change the buttons make.
TEST(DataFieldsWidget, ListFollowsTheModelThroughSelectionAndButtons) {
  test::qtApp();
  CFieldNameEntry model;
  VariableInfo au("Au");
  au.defaultValue = 1.5;
  model.addLoaded(au);
  model.addLoaded(VariableInfo("Cu"));
  test::ScriptedPort port;
  CFieldNameEntryWidget w(model, port);
  w.loadFromModel();
  QTreeWidget* list = w.list();
  const auto& columns = CFieldNameEntry::columns();
  ASSERT_EQ(list->columnCount(), static_cast<int>(columns.size()));
  auto expectModelsLines = [&](const char* state) {
    const auto lines = model.lines();
    ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(lines.size())) << state;
    for (int col = 0; col < list->columnCount(); ++col) {
      EXPECT_EQ(list->headerItem()->text(col).toStdString(), columns[static_cast<size_t>(col)].title);
      EXPECT_EQ(list->columnWidth(col), columns[static_cast<size_t>(col)].width);
      for (int row = 0; row < list->topLevelItemCount(); ++row)
        EXPECT_EQ(list->topLevelItem(row)->text(col).toStdString(),
                  lines[static_cast<size_t>(row)][static_cast<size_t>(col)])
            << state;
    }
  };
  expectModelsLines("loaded");

  list->setCurrentItem(list->topLevelItem(1));
  EXPECT_EQ(model.selected(), 1);
  w.removeButton()->click();
  EXPECT_EQ(model.names(), std::vector<std::string>{"Au"});
  expectModelsLines("removed");
  port.answerDialog([](DialogModel& dialog) {
    dynamic_cast<CAddFieldEntry&>(dialog).fieldName = "Ag";
    return true;
  });
  w.addButton()->click();
  EXPECT_EQ(model.names(), (std::vector<std::string>{"Au", "Ag"}));
  expectModelsLines("added");
  EXPECT_TRUE(port.allAnswersUsed());
}

// "Enter Formula" runs the formula dialog through the port and shows what came back.
class EnterFormulaTest : public ::testing::Test {
 protected:
  EnterFormulaTest() {
    test::qtApp();
    entry.calculateFieldValue = true;
  }
  CAddFieldEntry entry{{"Au", "Cu"}};
  test::ScriptedPort port;
};

TEST_F(EnterFormulaTest, AnAcceptedFormulaFillsTheBoxAndKeepsWhatWasTyped) {
  CAddFieldEntryWidget w(entry, port);
  w.loadFromModel();
  EXPECT_EQ(w.formulaBox()->text().toStdString(), entry.formula.formulaText);
  w.fieldName()->setText(QStringLiteral("AuCu"));  // typed, not stored yet
  port.answerDialog([](DialogModel& dialog) {
    auto& formula = dynamic_cast<CFormulaDialog&>(dialog);
    formula.pressOperator("*");
    return true;
  });
  w.enterFormula()->click();
  EXPECT_EQ(entry.formula.formulaCode, "0#*");
  EXPECT_EQ(w.formulaBox()->text().toStdString(), entry.formula.formulaText);
  EXPECT_EQ(w.fieldName()->text(), QStringLiteral("AuCu"));
  EXPECT_TRUE(w.calculateFieldValue()->isChecked());
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(EnterFormulaTest, CancelKeepsTheFormulaAndAClearedSwitchAsksNothing) {
  CAddFieldEntryWidget w(entry, port);
  w.loadFromModel();
  port.answerDialog([](DialogModel& dialog) {
    dynamic_cast<CFormulaDialog&>(dialog).pressOperator("+");
    return false;
  });
  w.enterFormula()->click();
  EXPECT_EQ(w.formulaBox()->text(), QStringLiteral("0  ENTER  "));
  EXPECT_EQ(entry.formula.formulaCode, "0#");
  EXPECT_TRUE(port.allAnswersUsed());

  w.calculateFieldValue()->setChecked(false);
  EXPECT_FALSE(w.enterFormula()->isEnabled());
  port.clearLog();
  w.enterFormula()->click();  // disabled: nothing runs
  EXPECT_TRUE(port.log().empty());
}

TEST_F(EnterFormulaTest, TheDesktopPortShowsTheFormulaWidgetInItsDialog) {
  QtUiPort qtPort;
  ASSERT_TRUE(qtPort.registry().contains(CFormulaDialog::kKind));
  CAddFieldEntryWidget w(entry, qtPort);
  w.loadFromModel();
  QString title;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<CModelDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    title = dialog->windowTitle();
    auto* formula = qobject_cast<CFormulaWidget*>(dialog->modelWidget());
    ASSERT_NE(formula, nullptr);
    formula->deleteButton()->click();
    formula->deleteButton()->click();
    formula->specialList()->setCurrentRow(2);
    formula->selectSpecialButton()->click();
    formula->operatorButton(QStringLiteral("Enter"))->click();
    formula->constantField()->setText(QStringLiteral("2"));
    formula->selectConstantButton()->click();
    formula->operatorButton(QStringLiteral("/"))->click();
    dialog->accept();
  });
  w.enterFormula()->click();
  EXPECT_EQ(title, QStringLiteral("Formula"));
  EXPECT_EQ(w.formulaBox()->text(), QStringLiteral("Volume  ENTER  2  /  "));
  EXPECT_EQ(entry.formula.formulaCode, "V#2/");
}

class FormulaWidgetTest : public ::testing::Test {
 protected:
  FormulaWidgetTest() { test::qtApp(); }
  static FormulaEntry emptyFormula() {
    FormulaEntry e;
    e.formulaCode.clear();
    e.formulaText.clear();
    return e;
  }
  test::ScriptedPort port;
};

TEST_F(FormulaWidgetTest, ShowsTheNamesSpecialFieldsOperatorsAndTheModelsText) {
  FormulaEntry current;
  current.formulaCode = "a#3.5*";
  CFormulaDialog model({"Au", "Cu", "SG"}, current);
  CFormulaWidget w(model, port);
  w.loadFromModel();
  EXPECT_EQ(w.fieldList()->item(2)->text(), QStringLiteral("SG"));
  ASSERT_EQ(w.specialList()->count(), static_cast<int>(kSpecialFields.size()));
  for (size_t i = 0; i < kSpecialFields.size(); ++i)
    EXPECT_EQ(w.specialList()->item(static_cast<int>(i))->text().toStdString(), kSpecialFields[i]);
  ASSERT_EQ(w.operatorButtons().size(), kFormulaOperatorButtons.size());
  for (size_t i = 0; i < kFormulaOperatorButtons.size(); ++i)
    EXPECT_EQ(w.operatorButtons()[i]->text().toStdString(), kFormulaOperatorButtons[i].label);
  EXPECT_TRUE(w.formulaBox()->isReadOnly());
  EXPECT_EQ(w.formulaBox()->text().toStdString(), model.formulaText());
}

TEST_F(FormulaWidgetTest, EachButtonIsTheModelsActionAndTheBoxShowsTheModelsText) {
  CFormulaDialog model({"Au", "Cu"}, emptyFormula());
  CFormulaWidget w(model, port);
  w.loadFromModel();
  w.fieldList()->setCurrentRow(1);
  EXPECT_EQ(model.selectedField, 1);
  w.selectFieldButton()->click();
  w.operatorButton(QStringLiteral("Enter"))->click();
  w.constantField()->setText(QStringLiteral("-12.5"));
  w.selectConstantButton()->click();
  w.operatorButton(QStringLiteral(">="))->click();
  EXPECT_EQ(model.code(), "b#12.5$]");
  EXPECT_EQ(w.formulaBox()->text().toStdString(), model.formulaText());
  w.deleteButton()->click();
  w.specialList()->setCurrentRow(1);
  w.selectSpecialButton()->click();
  EXPECT_EQ(model.code(), "b#12.5$T");
  EXPECT_EQ(w.formulaBox()->text().toStdString(), model.formulaText());
  EXPECT_TRUE(port.messages().empty());
}

TEST_F(FormulaWidgetTest, ConstantsAreReadInTheCLocaleAndATextIsRefused) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  CFormulaDialog model({"Au"}, emptyFormula());
  CFormulaWidget w(model, port);
  w.loadFromModel();
  w.constantField()->setText(QStringLiteral("0,5"));
  w.selectConstantButton()->click();
  EXPECT_EQ(port.messages(), std::vector<std::string>{"Please enter a number."});
  EXPECT_EQ(model.code(), "");
  w.constantField()->setText(QStringLiteral("0.5"));
  w.selectConstantButton()->click();
  EXPECT_EQ(model.code(), "0.5");
  QLocale::setDefault(saved);
}

TEST_F(FormulaWidgetTest, OkRefusesAnInvalidFormulaAndStaysOpen) {
  CFormulaDialog model({"Au", "Cu"}, emptyFormula());
  auto* widget = new CFormulaWidget(model, port);
  CModelDialog dialog(model, widget, port);
  dialog.show();
  widget->fieldList()->setCurrentRow(0);
  widget->selectFieldButton()->click();                              // "Au" alone: a formula ends on an operator
  widget->constantField()->setText(QStringLiteral("not a number"));  // never selected: does not hold up OK

  dialog.accept();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(port.messages(), std::vector<std::string>{formulaErrorText(1)});

  widget->operatorButton(QStringLiteral("Enter"))->click();
  dialog.accept();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(model.accepted().formulaCode, "a#");
  EXPECT_EQ(port.messages().size(), 1u);
}

// ------------------------------------------------------------ "File Format"

ColumnDescription fourFields() {
  ColumnDescription d;
  d.add("Name", 1, 15);
  d.add("X Coordinate", 16, 10, 2);
  d.add("Y Coordinate", 26, 10, 2);
  d.add("Au", 36, 8, 3);
  return d;
}

// The ruler box as the text box shows it (one line feed a line).
QString ruler(const CAsciiFormatPage& page) {
  return QString::fromStdString(page.rulerText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Leaves an edit with new text, as tabbing out of it does.
void typeInto(QLineEdit* edit, const char* text) {
  edit->setText(QString::fromLatin1(text));
  Q_EMIT edit->editingFinished();
}

TEST(ColumnFormatWidget, InputPageShowsTheChosenFieldAndStoresWhatIsTypedThroughTheModel) {
  test::qtApp();
  ColumnDescription d = fourFields();
  CFileFormat page(d, "HOLE      EAST\nDH001     0123456789");
  page.onSetActive();
  test::ScriptedPort port;
  ColumnFormatWidget w(page, port);
  w.loadFromModel();

  EXPECT_EQ(w.chooser()->count(), 4);
  EXPECT_EQ(w.length()->text(), QStringLiteral("15"));
  EXPECT_EQ(w.decimals(), nullptr);
  EXPECT_TRUE(w.rotate()->isHidden());  // the dataset offers no rotation
  EXPECT_EQ(w.textBox()->toPlainText(), QStringLiteral("HOLE      EAST\nDH001     0123456789"));

  w.chooser()->setCurrentIndex(3);
  EXPECT_EQ(w.position()->text(), QStringLiteral("36"));
  EXPECT_EQ(w.length()->text(), QStringLiteral("8"));

  typeInto(w.position(), "40");
  EXPECT_EQ(d.fields[3].position, 40);
  EXPECT_TRUE(port.messages().empty());

  // Out of range, or not a whole number: the model's message, the field
  // keeps its values and the edits show them again.
  port.answerMessage(MessageAnswer::Ok);
  typeInto(w.length(), "600");
  port.answerMessage(MessageAnswer::Ok);
  typeInto(w.position(), "4x");
  EXPECT_EQ(port.messages().size(), 2u);
  EXPECT_EQ(d.fields[3].position, 40);
  EXPECT_EQ(d.fields[3].length, 8);
  EXPECT_EQ(w.position()->text(), QStringLiteral("40"));
  EXPECT_EQ(w.length()->text(), QStringLiteral("8"));

  // "&Select": columns 10 to 14 of the second line (counted from 0) make
  // position 11 and length 4.
  QTextCursor cursor = w.textBox()->textCursor();
  const int line = w.textBox()->document()->findBlockByNumber(1).position();
  cursor.setPosition(line + 10);
  cursor.setPosition(line + 14, QTextCursor::KeepAnchor);
  w.textBox()->setTextCursor(cursor);
  w.selectButton()->click();
  EXPECT_EQ(d.fields[3].position, 11);
  EXPECT_EQ(d.fields[3].length, 4);
  EXPECT_EQ(w.position()->text(), QStringLiteral("11"));
  // An empty selection changes nothing.
  cursor.setPosition(line + 2);
  w.textBox()->setTextCursor(cursor);
  w.selectButton()->click();
  EXPECT_EQ(d.fields[3].position, 11);
}

TEST(ColumnFormatWidget, OutputPageHasDecimalsARulerBoxAndKeepsColumnOneForTheTag) {
  test::qtApp();
  ColumnDescription d = fourFields();
  d.fields[0].position = 2;
  CAsciiFormatPage page(d, /*tagColumn=*/true);
  page.setRotationAllowed(true);
  page.onSetActive();
  test::ScriptedPort port;
  ColumnFormatWidget w(page, port);
  w.loadFromModel();

  ASSERT_NE(w.decimals(), nullptr);
  EXPECT_EQ(w.decimals()->isEnabled(), page.decimalsEnabled());  // "Name": no decimals
  EXPECT_FALSE(w.rotate()->isHidden());
  EXPECT_EQ(w.textBox()->toPlainText(), ruler(page));

  w.chooser()->setCurrentIndex(1);
  EXPECT_EQ(w.decimals()->isEnabled(), page.decimalsEnabled());
  EXPECT_EQ(w.decimals()->text(), QStringLiteral("2"));

  typeInto(w.decimals(), "4");
  EXPECT_EQ(d.fields[1].decimals, 4);
  typeInto(w.length(), "12");
  EXPECT_EQ(d.fields[1].length, 12);
  EXPECT_EQ(w.textBox()->toPlainText(), ruler(page));  // the ruler follows

  port.answerMessage(MessageAnswer::Ok);
  typeInto(w.position(), "1");
  EXPECT_EQ(port.messages(), std::vector<std::string>{std::string(kTagColumnMessage)});
  EXPECT_EQ(d.fields[1].position, 16);
  EXPECT_EQ(w.position()->text(), QStringLiteral("16"));

  w.rotate()->setChecked(true);
  EXPECT_TRUE(d.rotate);
}

TEST(RotationParamsWidget, ShowsTheWorkingCopyAndStoresItForTheModelsCheck) {
  test::qtApp();
  CParamsRotation rotation;
  CDialogRotationParams model(rotation);
  model.theta = 30;
  model.centre = {1000, 2000.5, -3};
  model.inverse = true;
  CDialogRotationParamsWidget w(model);
  w.loadFromModel();
  EXPECT_EQ(w.angle(0)->text(), QStringLiteral("30"));
  EXPECT_EQ(w.centre(1)->text(), QStringLiteral("2000.5"));
  EXPECT_TRUE(w.inverse()->isChecked());

  test::ScriptedPort port;
  w.angle(1)->setText(QStringLiteral("12.5"));
  w.centre(0)->setText(QStringLiteral(" 650000 "));
  w.inverse()->setChecked(false);
  ASSERT_TRUE(w.storeToModel(&port));
  EXPECT_EQ(model.phi, 12.5);
  EXPECT_EQ(model.centre.x, 650000.0);
  EXPECT_FALSE(model.inverse);

  // Not a number: the message, and the model keeps its value.
  port.answerMessage(MessageAnswer::Ok);
  w.angle(2)->setText(QStringLiteral("ten"));
  EXPECT_FALSE(w.storeToModel(&port));
  EXPECT_EQ(port.messages().size(), 1u);
  EXPECT_EQ(model.psi, 0.0);
}

TEST(ColumnFormatWidget, TheDesktopShowsTheImportWizardWithIt) {
  test::qtApp();
  QtUiPort qtPort;
  for (std::string_view kind : {CFileFormat::kKind, CAsciiFormatPage::kKind, CDialogRotationParams::kKind})
    EXPECT_TRUE(qtPort.registry().contains(kind)) << kind;
  CFileLoadPropertySheet sheet("Load Composites", false);
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* wizard = qobject_cast<QWizard*>(QApplication::activeModalWidget());
    ASSERT_NE(wizard, nullptr);
    shown = wizard->findChild<ColumnFormatWidget*>() != nullptr;
    wizard->reject();
  });
  EXPECT_FALSE(qtPort.runSheet(sheet));
  EXPECT_TRUE(shown);
}

// ------------------------------------------------ the imports' property dialogs

TEST(PropertiesWidgets, EnvelopeNameDensityAndColourFollowTheModelsMode) {
  test::qtApp();
  test::ScriptedPort port;
  using Mode = CEnvelopePropertiesDialog::Mode;
  for (Mode mode : {Mode::Normal, Mode::FixedColour, Mode::FixedColourAndDensity}) {
    CEnvelopePropertiesDialog model(nullptr, mode);
    NameColourWidget w(model, port);
    w.loadFromModel();
    ASSERT_NE(w.density(), nullptr);
    EXPECT_EQ(w.density()->isEnabled(), model.densityEnabled());
    EXPECT_EQ(w.colourButton()->isEnabled(), model.colourEnabled());
    EXPECT_EQ(w.swatch()->palette().color(QPalette::Window), toQColor(model.colour()));
  }

  CEnvelopePropertiesDialog model(nullptr);
  NameColourWidget w(model, port);
  w.loadFromModel();
  EXPECT_EQ(w.name()->maxLength(), static_cast<int>(kEnvelopeNameMaxLength));
  w.name()->setText(QStringLiteral("North Zone"));
  w.density()->setText(QStringLiteral("2.75"));
  ASSERT_TRUE(w.storeToModel(&port));
  EXPECT_EQ(model.density(), 2.75);
  EXPECT_TRUE(model.onOk(port));
  EXPECT_EQ(model.name(), "North Zone");
  port.answerMessage(MessageAnswer::Ok);
  w.density()->setText(QStringLiteral("dense"));
  EXPECT_FALSE(w.storeToModel(&port));
  EXPECT_EQ(model.density(), 2.75);

  port.answerColour(makeRgb(10, 120, 240));
  w.colourButton()->click();
  EXPECT_EQ(model.colour(), makeRgb(10, 120, 240));
  EXPECT_EQ(w.swatch()->palette().color(QPalette::Window), QColor(10, 120, 240));
}

TEST(PropertiesWidgets, SurfaceNameAndColour) {
  test::qtApp();
  test::ScriptedPort port;
  SurfaceSet set;
  CSurfacePropertiesDialog model(set, -1, "Topography", static_cast<std::int32_t>(makeRgb(0, 128, 0)));
  NameColourWidget w(model, port);
  w.loadFromModel();
  EXPECT_EQ(w.density(), nullptr);
  EXPECT_EQ(w.name()->text(), QStringLiteral("Topography"));
  EXPECT_EQ(w.swatch()->palette().color(QPalette::Window), QColor(0, 128, 0));
  w.name()->setText(QStringLiteral("Base"));
  ASSERT_TRUE(w.storeToModel(&port));
  ASSERT_TRUE(model.onOk(port));
  EXPECT_EQ(model.name(), "Base");
  QtUiPort qtPort;
  EXPECT_TRUE(qtPort.registry().contains(CSurfacePropertiesDialog::kKind));
  EXPECT_TRUE(qtPort.registry().contains(CEnvelopePropertiesDialog::kKind));
}

// ------------------------------------------------------- the selection pages

TEST(SelectionPagesWidgets, CompositeEnvelopesLinesAreTheModelsThroughSelectAndDeSelect) {
  test::qtApp();
  CPropPageCompositeEnvelopes page({"North", "South", "Dyke"}, {1, 0, 1}, false);
  CompositeEnvelopesWidget w(page);
  w.loadFromModel();
  QTreeWidget* list = w.list();
  auto expectModelsLines = [&](const char* state) {
    const auto lines = page.lines();
    ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(lines.size())) << state;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      EXPECT_EQ(list->topLevelItem(i)->text(0).toStdString(), lines[static_cast<size_t>(i)].name) << state;
      EXPECT_EQ(list->topLevelItem(i)->text(1).toStdString(), lines[static_cast<size_t>(i)].status) << state;
    }
    EXPECT_EQ(w.outside()->isChecked(), page.outside()) << state;
  };
  expectModelsLines("loaded");

  // A current line is not a selected one (the list makes its first line
  // current when it takes the focus): nothing.
  list->setCurrentItem(list->topLevelItem(1), 0, QItemSelectionModel::NoUpdate);
  w.selectButton()->click();
  EXPECT_EQ(page.flags(), (std::vector<std::int32_t>{1, 0, 1}));
  list->setCurrentItem(list->topLevelItem(1));
  w.selectButton()->click();
  EXPECT_EQ(page.flags(), (std::vector<std::int32_t>{1, 1, 1}));
  EXPECT_TRUE(list->topLevelItem(1)->isSelected());  // the selection stays
  list->setCurrentItem(list->topLevelItem(2));
  w.deSelectButton()->click();
  EXPECT_EQ(page.flags(), (std::vector<std::int32_t>{1, 1, 0}));
  expectModelsLines("after select and de-select");
  w.outside()->setChecked(true);
  EXPECT_TRUE(w.storeToModel(nullptr));
  EXPECT_TRUE(page.outside());
}

TEST(SelectionPagesWidgets, SelectFiguresChoosesAllASingleFigureOrATickedGroup) {
  test::qtApp();
  FigureSet set;
  for (const char* name : {"B-101", "B-102", "B-103"}) {
    Figure f;
    f.name = name;
    set.figures.push_back(f);
  }
  CPropPageSelectFigures page(set);
  SelectFiguresWidget w(page);
  w.loadFromModel();
  EXPECT_TRUE(w.choiceButton(CPropPageSelectFigures::kAll)->isChecked());
  EXPECT_FALSE(w.single()->isEnabled());
  EXPECT_FALSE(w.group()->isEnabled());
  EXPECT_EQ(page.selectedFigures(), (std::vector<int>{0, 1, 2}));

  w.choiceButton(CPropPageSelectFigures::kSingle)->setChecked(true);
  EXPECT_TRUE(w.single()->isEnabled());
  w.single()->setCurrentIndex(2);
  EXPECT_EQ(page.selectedFigures(), (std::vector<int>{2}));

  w.choiceButton(CPropPageSelectFigures::kGroup)->setChecked(true);
  EXPECT_FALSE(w.single()->isEnabled());
  EXPECT_TRUE(w.group()->isEnabled());
  w.group()->item(0)->setCheckState(Qt::Checked);
  w.group()->item(2)->setCheckState(Qt::Checked);
  EXPECT_EQ(page.selectedFigures(), (std::vector<int>{0, 2}));
}

TEST(SelectionPagesWidgets, ExportEnvelopesTicksAreTheModelsSwitches) {
  test::qtApp();
  EnvelopeSet set;
  for (const char* name : {"North", "South"}) {
    Envelope e;
    e.name = name;
    set.envelopes.push_back(e);
  }
  CPropPageExportEnvelopes page(set);
  ExportEnvelopesWidget w(page);
  w.loadFromModel();
  ASSERT_EQ(w.list()->count(), 2);
  EXPECT_EQ(w.list()->item(1)->text(), QStringLiteral("South"));
  const bool before = page.exportEnvelope(1);
  EXPECT_EQ(w.list()->item(1)->checkState() == Qt::Checked, before);
  w.list()->item(1)->setCheckState(before ? Qt::Unchecked : Qt::Checked);
  EXPECT_EQ(page.exportEnvelope(1), !before);
  EXPECT_EQ(page.exportEnvelope(0), w.list()->item(0)->checkState() == Qt::Checked);
  QtUiPort qtPort;
  EXPECT_TRUE(qtPort.registry().contains(CPropPageExportEnvelopes::kKind));
}

}  // namespace
}  // namespace qx
