// The widgets bound to the dialog models: controls show the model's values,
// write them back, and take their enabling from the model.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTreeWidget>
#include <type_traits>

#include "datasets/composite_envelope_page.h"
#include "datasets/composite_modify_dialog.h"
#include "datasets/envelope_dialogs.h"
#include "datasets/envelope_export.h"
#include "datasets/envelopes.h"
#include "datasets/surface_import.h"
#include "engine/figure_dialogs.h"
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
#include "ui/gis_widgets.h"
#include "ui/model_parameters_widget.h"
#include "ui/properties_widgets.h"
#include "ui/qt_ui_port.h"
#include "ui/selection_pages_widgets.h"
#include "ui/sheet_dialogs.h"
#include "variables/field_name_entry.h"
#include "variables/formula_dialog.h"
#include "variables/variable_rules.h"

namespace qx {
namespace {

class WidgetTest : public ::testing::Test {
 protected:
  WidgetTest() { test::qtApp(); }
  test::ScriptedPort port;
};

// Each control of a table is enabled exactly when the model's rule says so.
template <typename Model>
using Enabling = std::vector<std::pair<QWidget*, bool (Model::*)() const>>;
template <typename Model>
void expectEnabling(const Model& model, const std::type_identity_t<Enabling<Model>>& table, const char* state) {
  for (size_t i = 0; i < table.size(); ++i)
    EXPECT_EQ(table[i].first->isEnabled(), (model.*table[i].second)()) << state << ", control " << i;
}

// The text of every cell of a list, line by line.
std::vector<std::vector<std::string>> cellTexts(const QTreeWidget* list) {
  std::vector<std::vector<std::string>> rows(static_cast<size_t>(list->topLevelItemCount()));
  for (int r = 0; r < list->topLevelItemCount(); ++r)
    for (int c = 0; c < list->columnCount(); ++c)
      rows[static_cast<size_t>(r)].push_back(list->topLevelItem(r)->text(c).toStdString());
  return rows;
}

class ModelParametersWidgetTest : public WidgetTest {
 protected:
  ModelParametersWidgetTest() { page.setVariableNames({"Au", "Cu", "SG"}); }
  CSpecGravPage page;
};

TEST_F(ModelParametersWidgetTest, ControlsShowTheModelWriteItAtOnceAndTakeItsEnabling) {
  page.recoveryMode = kRecoveryNone;
  page.setupMode = false;
  page.useFixedThickness = true;
  page.sgVariable = 2;
  page.thicknessVariable = 1;
  CSpecGravPageWidget w(page);
  w.loadFromModel();
  EXPECT_EQ(w.thicknessVariable()->currentText(), QStringLiteral("Cu"));
  EXPECT_TRUE(w.recoveryButton(kRecoveryNone)->isChecked());
  EXPECT_EQ(w.projectTypeGroup()->isHidden(), !page.projectTypeVisible());
  const Enabling<CSpecGravPage> enabling = {
      {w.sgVariable(), &CSpecGravPage::sgVariableEnabled},
      {w.fixedRecovery(), &CSpecGravPage::fixedRecoveryEnabled},
      {w.recoveryVariable(), &CSpecGravPage::recoveryVariableEnabled},
      {w.fixedThickness(), &CSpecGravPage::fixedThicknessEnabled},
      {w.thicknessVariable(), &CSpecGravPage::thicknessVariableEnabled},
      {w.thicknessVariableLabel(), &CSpecGravPage::thicknessVariableEnabled},
      {w.wasteThickness(), &CSpecGravPage::wasteThicknessEnabled},
  };
  expectEnabling(page, enabling, "as loaded");
  w.useVariableSG()->setChecked(true);
  w.recoveryButton(kRecoveryVariable)->setChecked(true);
  w.useFixedThickness()->setChecked(false);
  EXPECT_TRUE(page.useVariableSG);
  EXPECT_EQ(page.recoveryMode, kRecoveryVariable);
  expectEnabling(page, enabling, "switched");
}

// Numbers in the C locale; what a control can not hold leaves the model's value.
TEST_F(ModelParametersWidgetTest, StoringKeepsWhatTheControlsCanNotHold) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  page.setVariableNames({});
  page.sgVariable = 4;
  page.defaultSG = 2.65;
  page.fixedThickness = 1e37;
  CSpecGravPageWidget w(page);
  w.loadFromModel();
  EXPECT_EQ(w.defaultSG()->text(), QStringLiteral("2.65"));
  EXPECT_EQ(w.fixedThickness()->text(), QStringLiteral("1e+37"));
  w.defaultWasteSG()->setText(QStringLiteral(" 3.5 "));
  w.defaultSG()->setText(QStringLiteral("2,5"));
  EXPECT_FALSE(w.storeToModel(&port));
  EXPECT_EQ(port.messages(), std::vector<std::string>{"Please enter a number."});
  EXPECT_TRUE(w.storeToModel(nullptr));  // without a port (leaving by Back) the other fields are kept
  EXPECT_DOUBLE_EQ(page.defaultWasteSG, 3.5);
  EXPECT_DOUBLE_EQ(page.defaultSG, 2.65);
  EXPECT_EQ(page.sgVariable, 4);  // the empty list
  QLocale::setDefault(saved);
}

TEST_F(WidgetTest, AddFieldControlsShowTheEntryWriteItAndTakeItsEnabling) {
  VariableInfo v("Cu");
  v.defaultValue = 0.5;
  v.missingValue = -99;
  v.weightingType = kWeightVolume;
  CAddFieldEntry entry = CAddFieldEntry::forLoaded(v, {"Cu"});
  CAddFieldEntryWidget w(entry, port);
  w.loadFromModel();
  EXPECT_EQ(w.fieldName()->maxLength(), kMaxVariableNameLength);
  EXPECT_EQ(w.defaultValue()->text(), QStringLiteral("0.5"));
  EXPECT_EQ(w.weightingType()->currentIndex(), kWeightVolume);
  const Enabling<CAddFieldEntry> enabling = {
      {w.defaultValue(), &CAddFieldEntry::defaultValueEnabled},
      {w.weightingType(), &CAddFieldEntry::weightingTypeEnabled},
      {w.missingValue(), &CAddFieldEntry::missingValueEnabled},
      {w.formulaBox(), &CAddFieldEntry::formulaBoxEnabled},
      {w.enterFormula(), &CAddFieldEntry::enterFormulaEnabled},
  };
  for (bool calculate : {true, false}) {
    w.calculateFieldValue()->setChecked(calculate);
    EXPECT_EQ(entry.calculateFieldValue, calculate);
    expectEnabling(entry, enabling, calculate ? "calculated" : "loaded");
  }
  w.fieldName()->setText(QStringLiteral("Zn"));
  w.missingValue()->setText(QStringLiteral("-1.25"));
  w.weightingType()->setCurrentIndex(kWeightSurface);
  ASSERT_TRUE(w.storeToModel(nullptr));
  EXPECT_EQ(std::tuple(entry.fieldName, entry.missingValue, entry.weightingType),
            std::tuple("Zn", -1.25, kWeightSurface));
}

// The list shows the model's columns and lines, after every change the buttons make.
TEST_F(WidgetTest, DataFieldsListFollowsTheModelThroughSelectionAndButtons) {
  CFieldNameEntry model;
  VariableInfo au("Au");
  au.defaultValue = 1.5;
  model.addLoaded(au);
  model.addLoaded(VariableInfo("Cu"));
  CFieldNameEntryWidget w(model, port);
  w.loadFromModel();
  QTreeWidget* list = w.list();
  auto modelLines = [&] {
    std::vector<std::vector<std::string>> lines;
    for (const auto& line : model.lines()) lines.emplace_back(line.begin(), line.end());
    return lines;
  };
  EXPECT_EQ(cellTexts(list), modelLines());
  list->setCurrentItem(list->topLevelItem(1));
  w.removeButton()->click();
  port.answerDialog([](DialogModel& dialog) {
    dynamic_cast<CAddFieldEntry&>(dialog).fieldName = "Ag";
    return true;
  });
  w.addButton()->click();
  EXPECT_EQ(model.names(), (std::vector<std::string>{"Au", "Ag"}));
  EXPECT_EQ(cellTexts(list), modelLines());
}

// "Enter Formula" runs the formula dialog through the port and shows what came back.
class EnterFormulaTest : public WidgetTest {
 protected:
  EnterFormulaTest() { entry.calculateFieldValue = true; }
  CAddFieldEntry entry{{"Au", "Cu"}};
};

TEST_F(EnterFormulaTest, AnAcceptedFormulaFillsTheBoxCancelKeepsItAndWhatWasTypedStays) {
  CAddFieldEntryWidget w(entry, port);
  w.loadFromModel();
  w.fieldName()->setText(QStringLiteral("AuCu"));  // typed, not stored yet
  for (const bool ok : {true, false}) {
    port.answerDialog([ok](DialogModel& dialog) {
      dynamic_cast<CFormulaDialog&>(dialog).pressOperator(ok ? "*" : "+");
      return ok;
    });
    w.enterFormula()->click();
    EXPECT_EQ(entry.formula.formulaCode, "0#*") << ok;
    EXPECT_EQ(w.formulaBox()->text(), QStringLiteral("0  ENTER  *  ")) << ok;
  }
  EXPECT_EQ(w.fieldName()->text(), QStringLiteral("AuCu"));
  EXPECT_TRUE(w.calculateFieldValue()->isChecked());
}

// The buttons write through the model; a refused OK leaves the dialog open.
TEST_F(WidgetTest, FormulaButtonsWriteTheModelAndARefusedOkStaysOpen) {
  CFormulaDialog model({"Au", "Cu"}, FormulaEntry{});
  auto* formula = new CFormulaWidget(model, port);
  CModelDialog dialog(model, formula, port);
  dialog.show();
  formula->deleteButton()->click();  // the starting "0  ENTER  " goes
  formula->deleteButton()->click();
  formula->fieldList()->setCurrentRow(1);
  formula->selectFieldButton()->click();
  formula->constantField()->setText(QStringLiteral("not a number"));  // never selected: does not hold up OK
  dialog.accept();                                                    // "Cu" alone: a formula ends on an operator
  EXPECT_TRUE(dialog.isVisible());
  formula->operatorButton(QStringLiteral("Enter"))->click();
  formula->specialList()->setCurrentRow(2);
  formula->selectSpecialButton()->click();
  formula->operatorButton(QStringLiteral("/"))->click();
  formula->constantField()->setText(QStringLiteral("2"));
  formula->selectConstantButton()->click();
  formula->operatorButton(QStringLiteral("*"))->click();
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(model.accepted().formulaCode, "b#V/2*");
  EXPECT_EQ(port.messages().size(), 1u);
}

TEST_F(WidgetTest, TheDesktopPortHasAWidgetForEachModel) {
  QtUiPort qtPort;
  for (std::string_view kind :
       {CFormulaDialog::kKind, CFileFormat::kKind, CAsciiFormatPage::kKind, CDialogRotationParams::kKind,
        CSurfacePropertiesDialog::kKind, CEnvelopePropertiesDialog::kKind, CPropPageExportEnvelopes::kKind,
        CDialogCompositeModify::kKind, CCreateEnvelopeDialog::kKind, CFigurePropertiesDialog::kKind,
        GisExportDialog::kKind})
    EXPECT_TRUE(qtPort.registry().contains(kind)) << kind;
}

// A dataset the project lacks shows unticked and disabled; the controls go back.
TEST_F(WidgetTest, GisExportShowsTheDatasetsAndWritesTheChoicesBack) {
  GisExportDialog model({4, 0, 2, 9});
  GisExportWidget widget(model);
  widget.loadFromModel();
  EXPECT_FALSE(widget.layer(1)->isEnabled() || widget.layer(1)->isChecked());
  EXPECT_TRUE(widget.layer(3)->isEnabled() && widget.layer(3)->isChecked());
  widget.format()->setCurrentIndex(1);
  widget.layer(0)->setChecked(false);
  widget.epsg()->setText(QStringLiteral("32633"));
  ASSERT_TRUE(widget.storeToModel(nullptr));
  EXPECT_EQ(model.format, GisFormat::Shapefile);
  EXPECT_EQ(model.layers, (std::array<bool, 4>{false, false, true, true}));
  EXPECT_EQ(model.epsgText, "32633");
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

// Leaves an edit with new text, as tabbing out of it does.
void typeInto(QLineEdit* edit, const char* text) {
  edit->setText(QString::fromLatin1(text));
  Q_EMIT edit->editingFinished();
}

TEST_F(WidgetTest, InputFormatShowsTheChosenFieldAndStoresWhatIsTypedThroughTheModel) {
  ColumnDescription d = fourFields();
  CFileFormat page(d, "HOLE      EAST\nDH001     0123456789");
  page.onSetActive();
  ColumnFormatWidget w(page, port);
  w.loadFromModel();
  EXPECT_EQ(w.decimals(), nullptr);
  EXPECT_TRUE(w.rotate()->isHidden());  // the dataset offers no rotation
  EXPECT_EQ(w.textBox()->toPlainText(), QStringLiteral("HOLE      EAST\nDH001     0123456789"));
  w.chooser()->setCurrentIndex(3);
  EXPECT_EQ(w.length()->text(), QStringLiteral("8"));
  typeInto(w.position(), "40");
  EXPECT_EQ(d.fields[3].position, 40);

  port.answerMessage(MessageAnswer::Ok);  // not a whole number: the model keeps its value, the edit shows it
  typeInto(w.position(), "4x");
  EXPECT_EQ(d.fields[3].position, 40);
  EXPECT_EQ(w.position()->text(), QStringLiteral("40"));

  // "&Select": columns 10 to 14 of the second line (counted from 0) make position 11 and length 4.
  QTextCursor cursor = w.textBox()->textCursor();
  const int line = w.textBox()->document()->findBlockByNumber(1).position();
  cursor.setPosition(line + 10);
  cursor.setPosition(line + 14, QTextCursor::KeepAnchor);
  w.textBox()->setTextCursor(cursor);
  w.selectButton()->click();
  EXPECT_EQ(std::pair(d.fields[3].position, d.fields[3].length), std::pair(11, 4));
  EXPECT_EQ(w.position()->text(), QStringLiteral("11"));

  // "Delimited": a column combo per field instead of the positions, each storing at once.
  page.setPreviewLines({"HOLE,EAST", "DH001,12"});
  w.kind()->setCurrentIndex(1);
  w.header()->setChecked(true);
  EXPECT_FALSE(w.position()->isVisibleTo(&w));
  ASSERT_EQ(w.columns().size(), 4u);
  w.columns()[1]->setCurrentIndex(2);
  EXPECT_EQ(d.fields[1].header, "EAST");
  EXPECT_EQ(w.textBox()->toPlainText(), QStringLiteral("HOLE  | EAST\nDH001 | 12\n"));
  w.separator()->setCurrentIndex(3);
  EXPECT_EQ(d.delimited, (DelimitedFormat{Separator::Whitespace, true}));
  EXPECT_EQ(w.columns()[1]->count(), 2);  // "(none)" and the one name "HOLE,EAST"
}

TEST_F(WidgetTest, OutputFormatHasDecimalsAndARulerBoxThatFollows) {
  ColumnDescription d = fourFields();
  d.fields[0].position = 2;
  CAsciiFormatPage page(d, /*tagColumn=*/true);
  page.setRotationAllowed(true);
  page.onSetActive();
  ColumnFormatWidget w(page, port);
  w.loadFromModel();
  auto ruler = [&] {  // one line feed a line in the box
    return QString::fromStdString(page.rulerText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  };
  ASSERT_NE(w.decimals(), nullptr);
  EXPECT_FALSE(w.decimals()->isEnabled());  // "Name": no decimals
  w.chooser()->setCurrentIndex(1);
  EXPECT_TRUE(w.decimals()->isEnabled());
  typeInto(w.decimals(), "4");
  EXPECT_EQ(d.fields[1].decimals, 4);
  typeInto(w.length(), "12");
  EXPECT_EQ(w.textBox()->toPlainText(), ruler());  // the ruler follows
  w.rotate()->setChecked(true);
  EXPECT_TRUE(d.rotate);
}

TEST_F(WidgetTest, RotationParamsShowTheWorkingCopyAndStoreItForTheModelsCheck) {
  CParamsRotation rotation;
  CDialogRotationParams model(rotation);
  model.theta = 30;
  model.centre = {1000, 2000.5, -3};
  model.inverse = true;
  CDialogRotationParamsWidget w(model);
  w.loadFromModel();
  EXPECT_EQ(w.centre(1)->text(), QStringLiteral("2000.5"));
  EXPECT_TRUE(w.inverse()->isChecked());
  w.angle(1)->setText(QStringLiteral("12.5"));
  w.centre(0)->setText(QStringLiteral(" 650000 "));
  ASSERT_TRUE(w.storeToModel(&port));
  EXPECT_EQ(std::tuple(model.theta, model.phi, model.centre.x), std::tuple(30.0, 12.5, 650000.0));
}

// ------------------------------------------------ the imports' property dialogs

TEST_F(WidgetTest, EnvelopeNameDensityAndColourFollowTheModelsMode) {
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
  w.density()->setText(QStringLiteral("2.75"));
  ASSERT_TRUE(w.storeToModel(&port));
  EXPECT_EQ(model.density(), 2.75);
  port.answerColour(makeRgb(10, 120, 240));
  w.colourButton()->click();
  EXPECT_EQ(model.colour(), makeRgb(10, 120, 240));
  EXPECT_EQ(w.swatch()->palette().color(QPalette::Window), QColor(10, 120, 240));
}

// ------------------------------------------------------- the selection pages

TEST_F(WidgetTest, CompositeEnvelopesLinesAreTheModelsThroughSelectAndDeSelect) {
  CPropPageCompositeEnvelopes page({"North", "South", "Dyke"}, {1, 0, 1}, false);
  CompositeEnvelopesWidget w(page);
  w.loadFromModel();
  QTreeWidget* list = w.list();
  auto modelLines = [&] {
    std::vector<std::vector<std::string>> lines;
    for (const auto& line : page.lines()) lines.push_back({line.name, line.status});
    return lines;
  };
  EXPECT_EQ(cellTexts(list), modelLines());
  // A current line is not a selected one (the list makes its first line
  // current when it takes the focus): nothing.
  list->setCurrentItem(list->topLevelItem(1), 0, QItemSelectionModel::NoUpdate);
  w.selectButton()->click();
  EXPECT_EQ(page.flags(), (std::vector<std::int32_t>{1, 0, 1}));
  list->setCurrentItem(list->topLevelItem(1));
  w.selectButton()->click();
  EXPECT_EQ(page.flags(), (std::vector<std::int32_t>{1, 1, 1}));
  list->setCurrentItem(list->topLevelItem(2));
  w.deSelectButton()->click();
  EXPECT_EQ(page.flags(), (std::vector<std::int32_t>{1, 1, 0}));
  EXPECT_EQ(cellTexts(list), modelLines());
  w.outside()->setChecked(true);
  EXPECT_TRUE(w.storeToModel(nullptr));
  EXPECT_TRUE(page.outside());
}

TEST_F(WidgetTest, SelectFiguresChoosesAllASingleFigureOrATickedGroup) {
  FigureSet set;
  for (const char* name : {"B-101", "B-102", "B-103"}) set.figures.emplace_back().name = name;
  CPropPageSelectFigures page(set);
  SelectFiguresWidget w(page);
  w.loadFromModel();
  EXPECT_TRUE(w.choiceButton(CPropPageSelectFigures::kAll)->isChecked());
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

}  // namespace
}  // namespace qx
