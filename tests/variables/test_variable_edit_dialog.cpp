// The "Edit Variables" dialog of both kinds.
#include <gtest/gtest.h>

#include "calculated_variable.h"
#include "scripted_port.h"
#include "variables/variable_edit_dialog.h"

namespace qx {
namespace {

using test::ScriptedPort;

using test::calc;

std::vector<VariableInfo> loadedList(std::initializer_list<const char*> names) {
  std::vector<VariableInfo> out;
  for (const char* n : names) out.emplace_back(n);
  return out;
}

// Joins the names the code refers to, as a formula text builder would.
std::string namesOf(std::string_view code, const std::vector<std::string>& names) {
  std::string text;
  for (char c : code) {
    if (c >= 'a')
      text += names[c - 'a'];
    else
      text += c;
    text += "  ";
  }
  return text;
}

TEST(EditVariablesDialog, ColumnsAndLinesOfEachKind) {
  VariableInfo au("Au");
  au.defaultValue = 2;
  au.missingValue = -0.00004;
  au.weightingType = kWeightVolume;
  CVariableEditDialog loaded(VariableKind::Loaded, {au}, {calc("X", "a#2*", "Au  ENTER  2  *  ")}, {});
  EXPECT_EQ(loaded.title(), "Edit Variables");
  std::vector<std::pair<std::string_view, int>> columns;
  for (const auto& c : loaded.columns()) columns.emplace_back(c.title, c.width);
  EXPECT_EQ(columns, (std::vector<std::pair<std::string_view, int>>{
                         {"Variable", 90}, {"Default", 90}, {"Missing", 90}, {"Weighting Type", 90}}));
  EXPECT_EQ(loaded.lines(), (std::vector<CVariableEditDialog::ListLine>{{"Au", "2.0000", "-0.0000", "Volume"}}));

  CVariableEditDialog calculated(VariableKind::Calculated, {au}, {calc("X", "a#2*", "Au  ENTER  2  *  ")}, {});
  ASSERT_EQ(calculated.columns().size(), 2u);
  EXPECT_EQ(std::tuple(calculated.columns()[1].title, calculated.columns()[1].width), std::tuple("Formula", 300));
  EXPECT_EQ(calculated.lines(), (std::vector<CVariableEditDialog::ListLine>{{"X", "Au  ENTER  2  *  "}}));
}

TEST(EditVariablesDialog, DesignatedVariableProtectionFollowsDeletions) {
  ScriptedPort port;
  // X = Au ENTER 2 *; Cu carries specific gravity.
  CVariableEditDialog d(VariableKind::Loaded, loadedList({"Au", "Ag", "Cu"}), {calc("X", "a#2*")}, {2, -1, -1});
  d.select(1);
  EXPECT_TRUE(d.remove(port));
  EXPECT_EQ(d.deletedNames(), (std::vector<std::string>{"Ag"}));
  d.select(1);  // Cu, now on line 1
  EXPECT_FALSE(d.remove(port));
  d.select(0);
  EXPECT_FALSE(d.remove(port));
  ASSERT_EQ(port.messages().size(), 2u);
  EXPECT_TRUE(port.messages()[0].starts_with("That variable has Specific Gravity")) << port.messages()[0];
  EXPECT_TRUE(port.messages()[1].starts_with("That variable has formula(s)")) << port.messages()[1];
  EXPECT_EQ(d.loaded().size(), 2u);
}

TEST(EditVariablesDialog, CalculatedLinesUseLettersBehindTheLoadedOnes) {
  ScriptedPort port;
  // Au (a), Ag (b); X (c) = Au + Ag; Y (d) = X * 2.
  CVariableEditDialog d(VariableKind::Calculated, loadedList({"Au", "Ag"}), {calc("X", "a#b+"), calc("Y", "c#2*")}, {});
  d.select(0);
  EXPECT_FALSE(d.remove(port));
  d.select(1);
  EXPECT_TRUE(d.remove(port));
  d.select(0);
  EXPECT_TRUE(d.remove(port));
  EXPECT_TRUE(d.calculated().empty());
  EXPECT_EQ(d.deletedNames(), (std::vector<std::string>{"Y", "X"}));
  EXPECT_EQ(port.messages().size(), 1u);
}

TEST(EditVariablesDialog, AddAndEditThroughTheirDialogs) {
  ScriptedPort port;
  CVariableEditDialog d(VariableKind::Loaded, loadedList({"Au", "Ag"}), {calc("X", "a#b+"), calc("Y", "c#2*")},
                        {-1, 3, -1});
  d.setFormulaTextBuilder(namesOf);
  port.answerDialog([&port](DialogModel& m) {
    auto& e = dynamic_cast<CVariableLoadedDialog&>(m);
    e.fieldName = "Zn";
    e.defaultValue = 4;
    return e.onOk(port);
  });
  EXPECT_TRUE(d.add(port));
  EXPECT_EQ(port.log().back(), "dialog variable_loaded: Defined Variable Properties");
  ASSERT_EQ(d.loaded().size(), 3u);
  EXPECT_EQ(d.loaded()[2].defaultValue, 4);
  // X moved from c to d, Y from d to e.
  EXPECT_EQ(d.calculated()[1].formulaCode, "d#2*");
  EXPECT_EQ(d.designated().thickness, 4);

  d.select(0);
  port.answerDialog([&port](DialogModel& m) {
    auto& e = dynamic_cast<CVariableLoadedDialog&>(m);
    EXPECT_EQ(e.fieldName, "Au");
    e.fieldName = "Gold";
    return e.onOk(port);
  });
  EXPECT_TRUE(d.edit(port));
  EXPECT_EQ(d.loaded()[0].name, "Gold");
  EXPECT_EQ(d.calculated()[0].formulaText, "Gold  #  Ag  +  ");

  // Cancel leaves the lists as they were.
  const auto before = d.loaded();
  port.answerDialog([](DialogModel& m) {
    dynamic_cast<CVariableLoadedDialog&>(m).fieldName = "Silver";
    return false;
  });
  d.select(1);
  EXPECT_FALSE(d.edit(port));
  EXPECT_EQ(d.loaded(), before);
  EXPECT_TRUE(port.messages().empty());
}

TEST(EditVariablesDialog, CalculatedEntryKeepsItsFormulaWhenRenamed) {
  ScriptedPort port;
  CVariableEditDialog d(VariableKind::Calculated, loadedList({"Au"}), {calc("X", "a#2*", "t")}, {});
  d.select(0);
  port.answerDialog([&port](DialogModel& m) {
    auto& e = dynamic_cast<CVariableCalculatedDialog&>(m);
    EXPECT_EQ(e.formula.formulaCode, "a#2*");
    EXPECT_TRUE(e.enterFormulaEnabled());
    e.fieldName = "Au";  // taken by the loaded variable
    return e.onOk(port);
  });
  EXPECT_FALSE(d.edit(port));
  port.answerDialog([&port](DialogModel& m) {
    auto& e = dynamic_cast<CVariableCalculatedDialog&>(m);
    e.fieldName = " AuEq ";
    return e.onOk(port);
  });
  EXPECT_TRUE(d.edit(port));
  EXPECT_EQ(std::tuple(d.calculated()[0].name, d.calculated()[0].formulaCode), std::tuple("AuEq", "a#2*"));
}

}  // namespace
}  // namespace qx
