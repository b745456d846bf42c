// The "Formula" dialog's model driven through a scripted port, and "Enter
// Formula" in the dialogs that enter calculated variables.
#include <gtest/gtest.h>

#include "scripted_port.h"
#include "variables/field_name_entry.h"
#include "variables/formula_dialog.h"
#include "variables/formula_evaluator.h"
#include "variables/variable_edit_dialog.h"

namespace qx {
namespace {

using test::ScriptedPort;

const std::vector<std::string> kNames = {"Au", "Ag", "Cu"};

FormulaEntry withCode(std::string code) {
  FormulaEntry e;
  e.formulaCode = std::move(code);
  e.formulaText = "stale text";
  return e;
}

TEST(FormulaDialog, ButtonsAppendTheirTokenAndCode) {
  CFormulaDialog d(kNames, withCode(""));
  for (const char* label : {"+", "-", "*", "/", "^", "<", "<=", ">", ">=", "=", "<>", "Enter", "CHS"})
    EXPECT_TRUE(d.pressOperator(label)) << label;
  EXPECT_EQ(d.code(), "+_*/^<[>]=!#$");
  EXPECT_EQ(d.formulaText(), "+  -  *  /  ^  <  <=  >  >=  =  <>  ENTER  CHS  ");
  EXPECT_FALSE(d.pressOperator("~"));  // no such button

  ScriptedPort port;
  CFormulaDialog f(kNames, withCode(""));
  EXPECT_FALSE(f.selectField(port));  // nothing selected
  EXPECT_FALSE(f.selectSpecial());
  f.selectedField = 2;
  EXPECT_TRUE(f.selectField(port));
  f.pressOperator("Enter");
  for (int special : {1, 0, 2}) {
    f.selectedSpecial = special;
    EXPECT_TRUE(f.selectSpecial());
    f.pressOperator("*");
  }
  EXPECT_EQ(f.code(), "c#T*S*V*");
  EXPECT_EQ(f.formulaText(), "Cu  ENTER  Tonnage  *  Surface  *  Volume  *  ");
  EXPECT_TRUE(port.messages().empty());
}

TEST(FormulaDialog, ConstantsAreWrittenAsTheCodeCanHoldThem) {
  ScriptedPort port;
  CFormulaDialog d(kNames, withCode("a#"));
  d.constant = 2.5;
  EXPECT_TRUE(d.selectConstant(port));
  EXPECT_EQ(d.code(), "a#2.5");
  // A second constant would merge with the first.
  d.constant = 3;
  EXPECT_FALSE(d.selectConstant(port));
  EXPECT_EQ(port.messages().back(), "Two constants must be separated by Enter or an operator.");
  EXPECT_EQ(d.code(), "a#2.5");
  d.pressOperator("*");
  // A negative number: its magnitude, then CHS.
  d.constant = -3;
  EXPECT_TRUE(d.selectConstant(port));
  d.pressOperator("+");
  EXPECT_EQ(d.code(), "a#2.5*3$+");
  EXPECT_EQ(d.formulaText(), "Au  ENTER  2.5  *  3  CHS  +  ");

  // "%g" texts with an exponent are written out; six significant digits; 20 characters at most.
  const std::pair<double, std::optional<std::string>> texts[] = {
      {1e-05, "0.00001"},
      {1.5e-05, "0.000015"},
      {1234567.0, "1234570"},
      {0.1 + 0.2, "0.3"},
      {123456.0, "123456"},
      {0.0, "0"},
      {1e-18, "0.000000000000000001"},
      {1.5e-18, std::nullopt},
      {1e20, std::nullopt},
      {9.99999e19, "99999900000000000000"},
      {std::numeric_limits<double>::infinity(), std::nullopt},
  };
  for (const auto& [value, text] : texts) EXPECT_EQ(formulaConstantText(value), text) << value;

  CFormulaDialog e(kNames, withCode(""));
  e.constant = 1e-5;
  EXPECT_TRUE(e.selectConstant(port));
  EXPECT_EQ(e.code(), "0.00001");
  e.pressOperator("Enter");
  e.constant = 2e25;
  EXPECT_FALSE(e.selectConstant(port));
  EXPECT_EQ(port.messages().back(),
            "That constant can not be written in a formula: it needs more than 20 characters without an exponent.");
  EXPECT_EQ(e.code(), "0.00001#");
}

TEST(FormulaDialog, DeleteRemovesTheLastTokenAndElement) {
  CFormulaDialog d(kNames, withCode("a#12.5*$"));
  for (const char* left : {"a#12.5*", "a#12.5", "a#", "a", "", ""}) {  // a constant goes whole; then nothing
    d.deleteLast();
    EXPECT_EQ(d.code(), left);
  }
  EXPECT_TRUE(d.tokens().empty());
  EXPECT_EQ(d.formulaText(), "");
}

// A "-" right after digits in a code is part of the constant, not the
// subtraction ("_", which the "-" button writes): the formula box shows the
// run "12-" as one token, DELETE takes it whole, no constant may follow it,
// and it compiles to one constant read up to the "-".
TEST(FormulaDialog, AMinusAfterDigitsContinuesTheConstant) {
  ScriptedPort port;
  CFormulaDialog d(kNames, withCode("a#12-"));
  EXPECT_EQ(d.tokens(), (std::vector<std::string>{"Au", "ENTER", "12-"}));
  EXPECT_EQ(d.formulaText(), "Au  ENTER  12-  ");
  d.constant = 3;
  EXPECT_FALSE(d.selectConstant(port));
  EXPECT_EQ(port.messages().back(), formulamsg::kConstantAfterConstant);
  d.pressOperator("*");
  ASSERT_TRUE(d.onOk(port));
  EXPECT_EQ(d.accepted().compiled.codeString(), "a#0*");
  EXPECT_EQ(d.accepted().compiled.constants[0], 12.0);
  d.deleteLast();
  d.deleteLast();
  EXPECT_EQ(d.code(), "a#");
  EXPECT_EQ(d.formulaText(), "Au  ENTER  ");

  // The buttons: 12, then "-", is the constant and a subtraction.
  d.constant = 12;
  ASSERT_TRUE(d.selectConstant(port));
  d.pressOperator("-");
  EXPECT_EQ(d.code(), "a#12_");
  EXPECT_EQ(d.formulaText(), "Au  ENTER  12  -  ");
}

// Answers the formula dialog: `edit` works the buttons, then OK; a refused OK
// is answered with Cancel.
template <typename Edit>
void answerFormula(ScriptedPort& port, Edit edit) {
  port.answerDialog([edit](DialogModel& m) {
    edit(dynamic_cast<CFormulaDialog&>(m));
    return true;
  });
}
void answerCancel(ScriptedPort& port) {
  port.answerDialog([](DialogModel&) { return false; });
}

TEST(FormulaDialog, OkCompilesOrRefusesWithThePosition) {
  struct Case {
    const char* code;
    const char* message;
  };
  const Case cases[] = {
      {"a#b", "Error in formula at Element #3"},
      {"ab+", "Error in formula at Element #1"},
      {"aS+", "Error in formula at Element #1"},  // would evaluate as S +
      {"a#b+", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    ScriptedPort port;
    CFormulaDialog d(kNames, withCode(c.code));
    port.answerDialog([](DialogModel&) { return true; });
    if (c.message) answerCancel(port);
    EXPECT_EQ(port.runDialog(d), c.message == nullptr) << c.code;
    if (c.message) {
      EXPECT_EQ(port.messages(), std::vector<std::string>{c.message}) << c.code;
    } else {
      EXPECT_TRUE(port.messages().empty()) << c.code;
      const FormulaEntry& a = d.accepted();
      EXPECT_EQ(a.formulaCode, c.code);
      EXPECT_EQ(a.formulaText, d.formulaText());
      EXPECT_EQ(a.compiled, compileFormula(c.code).block);
    }
  }
}

TEST(FormulaDialog, OkRefusesWhatTheBlockCanNotHold) {
  ScriptedPort port;
  std::string code = "0#";
  for (int i = 1; i <= 10; ++i) code += std::to_string(i) + "+";
  CFormulaDialog many(kNames, withCode(code));
  EXPECT_FALSE(many.onOk(port));
  EXPECT_EQ(port.messages().back(), "A formula can hold at most 10 constants.");

  std::string longCode = "a";
  while (longCode.size() < 128) longCode += "$";
  CFormulaDialog tooLong(kNames, withCode(longCode));
  EXPECT_FALSE(tooLong.onOk(port));
  EXPECT_EQ(port.messages().back(), "A formula can hold at most 127 elements.");
  tooLong.deleteLast();
  EXPECT_TRUE(tooLong.onOk(port));
}

TEST(FormulaDialog, RefusesVariablesTheFormulaMayNotUse) {
  ScriptedPort port;
  // 32 variables: the 32nd has no letter.
  std::vector<std::string> many;
  for (int i = 0; i < 32; ++i) many.push_back("V" + std::to_string(i));
  CFormulaDialog d(many, withCode(""));
  d.selectedField = 31;
  EXPECT_FALSE(d.selectField(port));
  EXPECT_EQ(port.messages().back(), "A formula can use only the first 31 variables.");
  d.selectedField = 30;
  EXPECT_TRUE(d.selectField(port));
  EXPECT_EQ(d.code(), "\x7f");
  EXPECT_EQ(d.tokens().back(), "V30");

  // "~" in a code is variable 29: refused when there is none.
  CFormulaDialog tilde(kNames, withCode("a#~+"));
  EXPECT_EQ(tilde.formulaText(), "Au  ENTER  ~  +  ");
  EXPECT_FALSE(tilde.onOk(port));
  EXPECT_EQ(port.messages().back(), "The formula refers to a variable that does not exist.");

  // Calculated variable Cu (2) being edited: Cu itself and later ones are refused.
  FormulaScope scope{2, {}};
  CFormulaDialog own(kNames, withCode("a#c+"), scope);
  EXPECT_FALSE(own.onOk(port));
  own.selectedField = 2;
  EXPECT_FALSE(own.selectField(port));
  EXPECT_EQ(port.messages().end()[-2], port.messages().back());
  EXPECT_EQ(port.messages().back(), "A formula can use only the variables defined before its own variable.");

  // Ag's formula failed to compile: Ag is refused, Au is fine.
  FormulaScope failed{-1, {1}};
  CFormulaDialog f(kNames, withCode("a#"), failed);
  f.selectedField = 1;
  EXPECT_FALSE(f.selectField(port));
  EXPECT_EQ(port.messages().back(), "The formula of Ag did not compile.  Correct it before using that variable.");
  f.selectedField = 0;
  EXPECT_TRUE(f.selectField(port));
  f.pressOperator("*");
  EXPECT_TRUE(f.onOk(port));
  CFormulaDialog g(kNames, withCode("b#$"), failed);
  EXPECT_FALSE(g.onOk(port));
}

TEST(EnterFormula, AddFieldEntryTakesOverTheAcceptedFormula) {
  ScriptedPort port;
  CAddFieldEntry entry(kNames);
  EXPECT_FALSE(entry.enterFormula(port));  // the switch is off: the button is disabled
  EXPECT_TRUE(port.log().empty());

  entry.calculateFieldValue = true;
  answerFormula(port, [](CFormulaDialog& d) {
    EXPECT_EQ(d.fieldNames(), kNames);
    ScriptedPort inner;
    d.constant = 2;
    d.selectConstant(inner);
    d.pressOperator("*");
  });
  EXPECT_TRUE(entry.enterFormula(port));
  EXPECT_EQ(port.log()[0], "dialog formula: Formula");
  EXPECT_EQ(entry.formula.formulaText, "0  ENTER  2  *  ");
  EXPECT_EQ(entry.formula.compiled.codeString(), "0#1*");
}

TEST(EnterFormula, TheVariableDialogsPassTheirScope) {
  VariableInfoCalc x("X");
  x.formulaCode = "a#b+";
  x.formulaText = "Au  ENTER  Ag  +  ";
  x.compiled = compileFormula(x.formulaCode).block;
  VariableInfoCalc broken("Broken");
  broken.compiled.status = -1;
  CVariableEditDialog edit(VariableKind::Calculated, {VariableInfo("Au"), VariableInfo("Ag")}, {x, broken}, {});

  // Editing X (variable 2): X itself and Broken (3) are refused; Au is taken.
  ScriptedPort port;
  port.answerDialog([&port](DialogModel& m) {
    auto& e = dynamic_cast<CVariableCalculatedDialog&>(m);
    EXPECT_TRUE(e.enterFormulaEnabled());
    answerFormula(port, [](CFormulaDialog& d) {
      ScriptedPort inner;
      d.selectedField = 2;
      EXPECT_FALSE(d.selectField(inner));
      d.selectedField = 3;
      EXPECT_FALSE(d.selectField(inner));
      d.pressOperator("*");
    });
    EXPECT_TRUE(e.enterFormula(port));
    return true;
  });
  edit.select(0);
  EXPECT_TRUE(edit.edit(port));
  EXPECT_EQ(edit.calculated()[0].formulaText, "Au  ENTER  Ag  +  *  ");

  // A new calculated variable may use X but not Broken.
  port.answerDialog([&port](DialogModel& m) {
    auto& e = dynamic_cast<CVariableCalculatedDialog&>(m);
    e.fieldName = "Y";
    answerFormula(port, [](CFormulaDialog& d) {
      ScriptedPort inner;
      d.selectedField = 3;
      EXPECT_FALSE(d.selectField(inner));
      d.selectedField = 2;
      EXPECT_TRUE(d.selectField(inner));
      d.pressOperator("*");
    });
    EXPECT_TRUE(e.enterFormula(port));
    return true;
  });
  EXPECT_TRUE(edit.add(port));
  EXPECT_EQ(edit.calculated()[2].formulaCode, "0#c*");
  EXPECT_TRUE(port.allAnswersUsed());
}

}  // namespace
}  // namespace qx
