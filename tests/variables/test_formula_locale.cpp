// The formula cases that matter most, run in the C locale and again in a
// German one, whose decimal comma must not change how constants are written
// or read.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "scripted_port.h"
#include "variables/formula_compiler.h"
#include "variables/formula_dialog.h"
#include "variables/formula_evaluator.h"

namespace qx {
namespace {

// Sets LC_ALL for the lifetime of the object and restores the previous one.
class LocaleGuard {
 public:
  explicit LocaleGuard(const char* name) {
    const char* current = std::setlocale(LC_ALL, nullptr);
    previous_ = current ? current : "C";
    active_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~LocaleGuard() { std::setlocale(LC_ALL, previous_.c_str()); }
  bool active() const { return active_; }

 private:
  std::string previous_;
  bool active_ = false;
};

FormulaResult run(std::string_view code, std::vector<double> values = {}) {
  const auto r = compileFormula(code);
  EXPECT_TRUE(r.ok()) << code;
  return evaluateFormula(values, SpecialQuantities{}, r.block);
}

void checkFormulaCases() {
  // The default formula.
  auto r = evaluateFormula(std::vector<double>{}, SpecialQuantities{}, CompiledFormula{});
  EXPECT_EQ(r.value, 0.0);
  EXPECT_FALSE(r.error);
  EXPECT_EQ(run("0#").value, 0.0);
  // Division by zero and a negative operand.
  r = run("a#b/", {3, 0});
  EXPECT_EQ(r.value, 0.0);
  EXPECT_TRUE(r.error);
  r = run("a#b+", {-1, 5});
  EXPECT_EQ(r.value, -1.0);
  EXPECT_FALSE(r.error);
  // The compile errors.
  EXPECT_EQ(compileFormula("a#b").errorPosition, 3);
  EXPECT_EQ(compileFormula("ab+").errorPosition, 1);
  // Power, CHS, swap.
  EXPECT_EQ(run("2#3^").value, 8.0);
  EXPECT_EQ(run("5$").value, -5.0);
  EXPECT_EQ(run("3#4%_").value, 1.0);
  // Eleven pushes: the first value is lost.
  std::vector<double> values;
  std::string code;
  for (int i = 0; i <= 10; ++i) {
    values.push_back(i == 0 ? 1000.0 : 1.0);
    if (i > 0) code += "#";
    code += static_cast<char>('a' + i);
  }
  EXPECT_EQ(run(code + "+++++++++", values).value, 10.0);

  // Constants with a fraction, read and written with a decimal point.
  EXPECT_EQ(run("12.5#0.25*").value, 3.125);
  test::ScriptedPort port;
  CFormulaDialog d({"Au"}, FormulaEntry{});
  d.pressOperator("*");
  d.constant = 0.125;
  ASSERT_TRUE(d.selectConstant(port));
  d.pressOperator("+");
  EXPECT_EQ(d.code(), "0#*0.125+");
  EXPECT_EQ(d.formulaText(), "0  ENTER  *  0.125  +  ");
  ASSERT_TRUE(d.onOk(port));
  EXPECT_EQ(d.accepted().compiled.constants[1], 0.125);
  EXPECT_EQ(formulaErrorText(12), "Error in formula at Element #12");
}

TEST(FormulaLocale, CLocale) {
  LocaleGuard guard("C");
  ASSERT_TRUE(guard.active());
  checkFormulaCases();
}

TEST(FormulaLocale, GermanLocale) {
  LocaleGuard guard("de_DE.UTF-8");
  if (!guard.active()) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed here";
  // The locale is really in effect: printf writes a decimal comma.
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%g", 0.5);
  ASSERT_STREQ(buffer, "0,5");
  checkFormulaCases();
}

}  // namespace
}  // namespace qx
