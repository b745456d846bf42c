// Variable records, the naming and deletion rules and the renumbering of formulas.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "calculated_variable.h"
#include "variables/variable_info.h"
#include "variables/variable_rules.h"

namespace qx {
namespace {

using test::calc;

TEST(VariableRecords, WeightingTypeNames) {
  const std::vector<std::string_view> names = {weightingTypeName(-1), weightingTypeName(0), weightingTypeName(1),
                                               weightingTypeName(2), weightingTypeName(3)};
  EXPECT_EQ(names, (std::vector<std::string_view>{"", "Tonnage", "Volume", "Surface", ""}));
}

TEST(VariableNames, EmptyAndDuplicateNamesAreRefusedAndRenamingAcceptsTheOwnName) {
  const std::vector<std::string> names = {"Au", "Ag", "Cu"};
  const std::string empty = "The name can not be empty.  Please enter a valid name.";
  const std::string taken = "The name entered is already in use.  Please use a unique name.";
  struct Case {
    const char* name;
    const char* current;  // the name being edited, "" for a new variable
    std::optional<std::string> refusal;
  };
  const Case cases[] = {
      {"", "", empty},
      {" \t  ", "", empty},
      {"Ag", "", taken},
      {"  Ag ", "", taken},  // trimmed before the comparison
      {"Zn", "", std::nullopt},
      {"Au", "Au", std::nullopt},
      {"  Au  ", "Au", std::nullopt},
      {"au", "Au", std::nullopt},  // compared exactly: a new name
      {"AG", "Au", std::nullopt},
      {"Cu", "Au", taken},
      {"", "Au", empty},
  };
  for (const Case& c : cases)
    EXPECT_EQ(validateVariableName(c.name, c.current, names), c.refusal) << '"' << c.name << "\" for \"" << c.current;
}

TEST(VariableNames, TrimAndLength) {
  EXPECT_EQ(trimName("\t Au grade  \r\n"), "Au grade");
  EXPECT_EQ(trimName("   "), "");
  const std::string name32(32, 'x');
  EXPECT_EQ(validateVariableName(name32, "", {}), std::nullopt);
  EXPECT_EQ(validateVariableName(name32 + "y", "", {}), "Enter no more than 32 characters.");
}

TEST(VariableDeletion, FormulaDependencyOfTheAuAgCuCase) {
  // Loaded Au, Ag, Cu; X = Au ENTER Cu *.
  std::vector<VariableInfoCalc> calculated = {calc("X", "a#c*")};
  const std::string formulaRefusal =
      "That variable has formula(s) dependent upon it.\r\nPlease edit the dependent variables before deleting";
  EXPECT_EQ(checkVariableDeletion(0, calculated, {}), formulaRefusal);
  EXPECT_EQ(checkVariableDeletion(2, calculated, {}), formulaRefusal);
  EXPECT_EQ(checkVariableDeletion(1, calculated, {}), std::nullopt);
  // X itself (number 3) may go: no formula refers to "d".
  EXPECT_EQ(checkVariableDeletion(3, calculated, {}), std::nullopt);

  renumberAfterDeletion(calculated, 1);
  EXPECT_EQ(calculated[0].formulaCode, "a#b*");
  EXPECT_EQ(calculated[0].compiled.codeString(), "a#b*");
  for (int i = 4; i < 128; ++i) ASSERT_EQ(calculated[0].compiled.code[i], '\0') << "byte " << i;
}

TEST(VariableDeletion, RefusalsComeInTheirOrder) {
  const std::vector<VariableInfoCalc> calculated = {calc("X", "b#2*")};
  const std::string sg =
      "That variable has Specific Gravity dependent upon it.\r\nPlease change the Specific Gravity dependency before "
      "deleting";
  const std::string thickness =
      "That variable has Thickness dependent upon it.\r\nPlease change the Thickness dependency before deleting";
  const std::string recovery =
      "That variable has Recovery dependent upon it.\r\nPlease change the Recovery dependency before deleting";
  // Variable 1 is in a formula and designated for everything: the formula wins.
  EXPECT_EQ(checkVariableDeletion(1, calculated, {1, 1, 1}),
            "That variable has formula(s) dependent upon it.\r\nPlease edit the dependent variables before deleting");
  // {sg, thickness, recovery}
  EXPECT_EQ(checkVariableDeletion(0, calculated, {0, 0, 0}), sg);
  EXPECT_EQ(checkVariableDeletion(0, calculated, {-1, 0, 0}), thickness);
  EXPECT_EQ(checkVariableDeletion(0, calculated, {-1, -1, 0}), recovery);
  EXPECT_EQ(checkVariableDeletion(0, calculated, {2, 3, 4}), std::nullopt);
}

TEST(VariableRenumbering, OnlyVariableLettersAtOrAboveTheDeletedOneMove) {
  // c ENTER 2.5 * d + S / : constants, "." , operators and "S" are not letters.
  VariableInfoCalc v = calc("X", "c#2.5*d+S/");
  v.compiled.code = {};
  const std::string compiled = "c#0*d+S/";
  for (std::size_t i = 0; i < compiled.size(); ++i) v.compiled.code[i] = compiled[i];
  std::vector<VariableInfoCalc> list = {v, calc("Y", "a#b_e]")};
  renumberAfterDeletion(list, 1);
  EXPECT_EQ(list[0].formulaCode, "b#2.5*c+S/");
  EXPECT_EQ(list[0].compiled.codeString(), "b#0*c+S/");
  EXPECT_EQ(list[1].formulaCode, "a#a_d]");  // "b" was the deleted one's: callers check first

  // Deleting variable 0: "_" (just below "a") and "^" stay where they are.
  std::vector<VariableInfoCalc> first = {calc("Z", "b#c^_~")};
  renumberAfterDeletion(first, 0);
  EXPECT_EQ(first[0].formulaCode, "a#b^_}");
}

TEST(VariableRenumbering, NumbersBeyondTheLettersChangeNothing) {
  // Variable 40 has no letter a formula can hold ("a" + 40 is above 127).
  const std::string code = "a#~*\x7f+S#0";
  std::vector<VariableInfoCalc> list = {calc("X", code)};
  EXPECT_EQ(checkVariableDeletion(40, list, {}), std::nullopt);
  renumberAfterDeletion(list, 40);
  EXPECT_EQ(list[0].formulaCode, code);
  EXPECT_EQ(list[0].compiled.codeString(), code);
  // Variable 30 is the last letter, character 127.
  EXPECT_TRUE(formulaUsesVariable(code, 30));
  EXPECT_TRUE(formulaUsesVariable(code, 29));  // "~"
  EXPECT_FALSE(formulaUsesVariable(code, 28));
}

TEST(VariableRenumbering, InsertionAndDesignatedNumbersFollow) {
  std::vector<VariableInfoCalc> list = {calc("X", "a#b*"), calc("Y", "c#3+")};
  renumberAfterInsertion(list, 2);  // a loaded variable took number 2, X moved to 3
  EXPECT_EQ(list[0].formulaCode, "a#b*");
  EXPECT_EQ(list[1].formulaCode, "d#3+");
  EXPECT_EQ(list[1].compiled.codeString(), "d#3+");

  EXPECT_EQ(designatedAfterDeletion({0, 2, 5}, 2), (DesignatedVariables{0, -1, 4}));
  EXPECT_EQ(designatedAfterDeletion({-1, 1, 3}, 0), (DesignatedVariables{-1, 0, 2}));
}

TEST(NumberText, MatchesTheCLocaleFormats) {
  for (double v : {0.0, -0.0, 1.23456, 0.00005, 2.5e-5, -99.0, 123456789.123456, 1e37, 0.99995, -1e-9}) {
    char fixed[512];
    char general[64];
    std::snprintf(fixed, sizeof fixed, "%.4lf", v);
    std::snprintf(general, sizeof general, "%g", v);
    EXPECT_EQ(formatFixed(v, 4), fixed) << v;
    EXPECT_EQ(formatGeneral(v), general) << v;
  }
  EXPECT_EQ(formatFixed(1.23456, 4), "1.2346");
  EXPECT_EQ(formatGeneral(1e11), "1e+11");
}

}  // namespace
}  // namespace qx
