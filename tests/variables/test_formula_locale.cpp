// Constants are written and read with a decimal point whatever the process
// locale: the locale-dependent cases again under a German locale, whose
// decimal comma must change nothing.
#include <gtest/gtest.h>

#include <cstdio>

#include "scripted_port.h"
#include "test_files.h"
#include "variables/formula_compiler.h"
#include "variables/formula_dialog.h"
#include "variables/formula_evaluator.h"

namespace qx {
namespace {

TEST(FormulaLocale, ADecimalCommaLocaleChangesNoConstant) {
  test::LocaleGuard guard("de_DE.UTF-8");
  if (!guard.active()) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed here";
  // The locale is really in effect: printf writes a decimal comma.
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%g", 0.5);
  ASSERT_STREQ(buffer, "0,5");

  const auto r = compileFormula("12.5#0.25*");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(evaluateFormula(std::vector<double>{}, SpecialQuantities{}, r.block).value, 3.125);
  EXPECT_EQ(formulaConstantText(1.5e-05), "0.000015");
  test::ScriptedPort port;
  CFormulaDialog d({"Au"}, FormulaEntry{});
  d.pressOperator("*");
  d.constant = 0.125;
  ASSERT_TRUE(d.selectConstant(port));
  d.pressOperator("+");
  EXPECT_EQ(d.code(), "0#*0.125+");
  ASSERT_TRUE(d.onOk(port));
  EXPECT_EQ(d.accepted().compiled.constants[1], 0.125);
}

}  // namespace
}  // namespace qx
