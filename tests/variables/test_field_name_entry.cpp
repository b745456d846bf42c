// The "Data Fields" page and its "Add/Edit Field" dialog, driven through a scripted port.
#include <gtest/gtest.h>

#include "calculated_variable.h"
#include "scripted_port.h"
#include "variables/field_name_entry.h"

namespace qx {
namespace {

using test::ScriptedPort;

const char* const kFormulaRefusal =
    "That variable has formula(s) dependent upon it.\r\nPlease edit the dependent variables before deleting";

using test::calc;

// Au, Ag, Cu loaded; X = Au ENTER Cu *.
CFieldNameEntry auAgCu() {
  CFieldNameEntry page;
  for (const char* n : {"Au", "Ag", "Cu"}) EXPECT_EQ(page.addLoaded(VariableInfo(n)), "");
  EXPECT_EQ(page.addCalculated(calc("X", "a#c*", "Au  ENTER  Cu  *  ")), "");
  return page;
}

// Answers the next dialog: `fill` edits the entry, then OK is pressed; a
// refused OK is followed by Cancel.
template <typename Fill>
void answerEntry(ScriptedPort& port, Fill fill) {
  port.answerDialog([&port, fill](DialogModel& m) {
    auto& entry = dynamic_cast<CAddFieldEntry&>(m);
    fill(entry);
    return entry.onOk(port);
  });
}

TEST(DataFieldsPage, ColumnsAndLines) {
  std::vector<std::pair<std::string, int>> columns;
  for (const auto& c : CFieldNameEntry::columns()) columns.emplace_back(c.title, c.width);
  EXPECT_EQ(columns, (std::vector<std::pair<std::string, int>>{{"Variable Name", 90},
                                                               {"Default Value", 80},
                                                               {"Missing Indicator", 100},
                                                               {"Weighting Type", 90},
                                                               {"Formula", 170}}));

  CFieldNameEntry page;
  VariableInfo au("Au");
  au.defaultValue = 1.23456;
  au.missingValue = -99;
  au.weightingType = kWeightSurface;
  ASSERT_EQ(page.addLoaded(au), "");
  VariableInfoCalc x = calc("X", "a#2*", "Au  ENTER  2  *  ");
  x.defaultValue = 0.00005;
  ASSERT_EQ(page.addCalculated(x), "");
  EXPECT_EQ(page.lines(), (std::vector<CFieldNameEntry::ListLine>{{"Au", "1.2346", "-99.0000", "Surface", "N/A"},
                                                                  {"X", "0.0001", "N/A", "N/A", "Au  ENTER  2  *  "}}));
}

TEST(DataFieldsPage, AddThroughTheDialog) {
  ScriptedPort port;
  CFieldNameEntry page;
  answerEntry(port, [](CAddFieldEntry& e) {
    EXPECT_EQ(e.fieldName, "");  // "&Add" opens an empty entry
    e.fieldName = "  Au ";
    e.defaultValue = 0.5;
    e.missingValue = -1;
    e.weightingType = kWeightVolume;
  });
  EXPECT_TRUE(page.add(port));
  answerEntry(port, [](CAddFieldEntry& e) {
    e.fieldName = "AuEq";
    e.defaultValue = 3;
    e.takeFormula({"a#2*", "Au  ENTER  2  *  ", {}});
  });
  EXPECT_TRUE(page.add(port));
  EXPECT_EQ(port.log()[0], "dialog add_field_entry: Add/Edit Field");
  EXPECT_TRUE(port.messages().empty());

  ASSERT_EQ(page.names(), (std::vector<std::string>{"Au", "AuEq"}));
  EXPECT_EQ(page.lines()[0], (CFieldNameEntry::ListLine{"Au", "0.5000", "-1.0000", "Volume", "N/A"}));
  EXPECT_EQ(std::tuple(page.calculated()[0].formulaCode, page.calculated()[0].defaultValue), std::tuple("a#2*", 3.0));

  // A duplicate is refused in the dialog and the list stays as it was.
  answerEntry(port, [](CAddFieldEntry& e) { e.fieldName = "AuEq"; });
  EXPECT_FALSE(page.add(port));
  EXPECT_EQ(port.messages().size(), 1u);
  EXPECT_EQ(page.variableCount(), 2);
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST(DataFieldsPage, AddFieldEnablingFollowsTheSwitch) {
  CAddFieldEntry e({});
  for (bool calculate : {false, true}) {
    e.calculateFieldValue = calculate;
    EXPECT_EQ(e.defaultValueEnabled(), !calculate);
    EXPECT_EQ(e.weightingTypeEnabled(), !calculate);
    EXPECT_EQ(e.formulaBoxEnabled(), calculate);
    EXPECT_EQ(e.enterFormulaEnabled(), calculate && kFormulaDialogAvailable);
    EXPECT_TRUE(e.missingValueEnabled());
  }
  EXPECT_EQ(kWeightingChoices[2], "Surface");
}

TEST(DataFieldsPage, EditKeepsTheRecordAndRenames) {
  ScriptedPort port;
  CFieldNameEntry page = auAgCu();
  EXPECT_FALSE(page.edit(port));  // no selection: no dialog
  EXPECT_TRUE(port.log().empty());

  page.select(0);
  answerEntry(port, [](CAddFieldEntry& e) {
    EXPECT_EQ(e.fieldName, "Au");
    EXPECT_FALSE(e.calculateFieldValue);
    e.fieldName = "Cu";  // taken
  });
  EXPECT_FALSE(page.edit(port));

  answerEntry(port, [](CAddFieldEntry& e) {
    e.fieldName = "au";
    e.defaultValue = 7;
  });
  EXPECT_TRUE(page.edit(port));
  EXPECT_EQ(std::tuple(page.loaded()[0].name, page.loaded()[0].defaultValue), std::tuple("au", 7.0));

  page.select(3);  // X: the entry opens with its formula and the switch on
  answerEntry(port, [](CAddFieldEntry& e) {
    EXPECT_TRUE(e.calculateFieldValue);
    EXPECT_EQ(e.formula.formulaCode, "a#c*");
    // The rename of Au has been carried into the text.
    EXPECT_EQ(e.formula.formulaText, "au  ENTER  Cu  *  ");
    e.fieldName = "X";
  });
  EXPECT_TRUE(page.edit(port));
  EXPECT_EQ(page.calculated()[0].formulaText, "au  ENTER  Cu  *  ");
}

TEST(DataFieldsPage, EditThatChangesTheKindObeysTheDeletionRules) {
  ScriptedPort port;
  CFieldNameEntry page = auAgCu();
  page.select(2);  // Cu is in X's formula: it cannot become calculated
  answerEntry(port, [](CAddFieldEntry& e) { e.calculateFieldValue = true; });
  EXPECT_FALSE(page.edit(port));
  EXPECT_EQ(port.messages().back(), kFormulaRefusal);
  EXPECT_EQ(page.loaded().size(), 3u);

  page.select(1);  // Ag is free: it leaves the loaded list and joins the calculated ones
  answerEntry(port, [](CAddFieldEntry& e) { e.calculateFieldValue = true; });
  EXPECT_TRUE(page.edit(port));
  EXPECT_EQ(page.names(), (std::vector<std::string>{"Au", "Cu", "X", "Ag"}));
  EXPECT_EQ(page.calculated()[0].formulaCode, "a#b*");
}

TEST(DataFieldsPage, RemoveRenumbersOrRefuses) {
  ScriptedPort port;
  CFieldNameEntry page = auAgCu();
  EXPECT_FALSE(page.remove(port));  // nothing selected

  for (int inFormula : {0, 2}) {
    page.select(inFormula);
    EXPECT_FALSE(page.remove(port));
  }
  EXPECT_EQ(port.messages(), (std::vector<std::string>(2, kFormulaRefusal)));
  EXPECT_TRUE(page.deletedNames().empty());

  page.select(1);
  EXPECT_TRUE(page.remove(port));
  EXPECT_EQ(page.names(), (std::vector<std::string>{"Au", "Cu", "X"}));
  EXPECT_EQ(page.deletedNames(), (std::vector<std::string>{"Ag"}));
  EXPECT_EQ(page.calculated()[0].formulaCode, "a#b*");
  EXPECT_EQ(page.selected(), -1);
  // The formula first, then the loaded variable it used.
  EXPECT_EQ(page.removeVariable(2), "");
  EXPECT_EQ(page.removeVariable(0), "");
  EXPECT_EQ(page.deletedNames(), (std::vector<std::string>{"Ag", "X", "Au"}));
}

TEST(DataFieldsPage, LeavingNeedsALoadedVariable) {
  ScriptedPort port;
  CFieldNameEntry page;
  page.onSetActive();
  EXPECT_EQ(page.wizardButtons(), static_cast<unsigned>(kWizardNext));
  EXPECT_FALSE(page.onKillActive(port));
  ASSERT_EQ(page.addCalculated(VariableInfoCalc("X")), "");
  EXPECT_FALSE(page.onKillActive(port));
  EXPECT_EQ(port.messages(), (std::vector<std::string>(2, "You must enter at least one field")));
  ASSERT_EQ(page.addLoaded(VariableInfo("Au")), "");
  EXPECT_TRUE(page.onKillActive(port));
  EXPECT_EQ(port.messages().size(), 2u);
}

}  // namespace
}  // namespace qx
